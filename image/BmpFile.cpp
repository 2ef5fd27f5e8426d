#include "image/BmpFile.h"

#include <limits>

#include "image/Error.h"
#include "image/FileIo.h"

namespace batchfit {

namespace {

constexpr std::size_t HeaderBytes = 54;

void putLittleEndian(std::uint8_t* at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) at[i] = std::uint8_t(value >> (8 * i));
}

void putHeader(std::uint8_t* h, std::uint32_t width, std::uint32_t height,
               std::uint32_t pixelBytes) {
  h[0] = 'B';
  h[1] = 'M';
  putLittleEndian(h + 2, std::uint32_t(HeaderBytes) + pixelBytes, 4);
  putLittleEndian(h + 10, HeaderBytes, 4);
  putLittleEndian(h + 14, 40, 4);
  putLittleEndian(h + 18, width, 4);
  putLittleEndian(h + 22, height, 4);  // positive: bottom row first
  putLittleEndian(h + 26, 1, 2);
  putLittleEndian(h + 28, 32, 2);
  putLittleEndian(h + 34, pixelBytes, 4);
  // Compression, resolutions and colour counts stay 0.
}

}  // namespace

std::vector<std::uint8_t> encodeBmp(const PixelSurface& surface) {
  if (surface.empty()) return {};
  const std::uint64_t pixelBytes = std::uint64_t(surface.width()) * surface.height() * 4;
  // The file states its size in 32 bits; a larger picture cannot be a BMP.
  if (pixelBytes > std::numeric_limits<std::uint32_t>::max() - HeaderBytes) {
    throw outOfResources();
  }
  std::vector<std::uint8_t> bytes(HeaderBytes + pixelBytes, 0);
  putHeader(bytes.data(), std::uint32_t(surface.width()), std::uint32_t(surface.height()),
            std::uint32_t(pixelBytes));
  std::uint8_t* out = bytes.data() + HeaderBytes;
  for (std::int32_t y = surface.height() - 1; y >= 0; --y) {
    const ColorRef* row = surface.row(y);
    for (std::int32_t x = 0; x < surface.width(); ++x, out += 4) {
      out[0] = blueOf(row[x]);
      out[1] = greenOf(row[x]);
      out[2] = redOf(row[x]);  // out[3] stays 0
    }
  }
  return bytes;
}

void saveBmp(const PixelSurface& surface, const std::string& path) {
  writeWholeFile(path, encodeBmp(surface));
}

}  // namespace batchfit
