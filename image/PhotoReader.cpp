#include "image/PhotoReader.h"

#include <limits>

#include "image/Error.h"

namespace batchfit {

void checkPhotoSize(std::uint64_t width, std::uint64_t height, std::uint64_t workingBytes) {
  constexpr std::uint64_t Largest = std::numeric_limits<std::int32_t>::max();
  if (width > Largest || height > Largest) throw outOfResources();
  checkSurfaceSize(std::int32_t(width), std::int32_t(height), workingBytes);
}

void invalidPhoto(const std::string& format, const std::string& reason) {
  throw Error(formatMessage("%s image is not valid (%s)", {format, reason}));
}

namespace {

// c over white by alpha a, rounded to nearest: c a / 255 + 255 - a.
std::uint32_t overWhite(std::uint32_t c, std::uint32_t a) {
  return (c * a + 255 * (255 - a) + 127) / 255;
}

// Premultiplied c already holds c a / 255: white's share is added.
std::uint32_t premultipliedOverWhite(std::uint32_t c, std::uint32_t a) {
  const std::uint32_t sum = c + 255 - a;
  return sum > 255 ? 255 : sum;
}

}  // namespace

PixelSurface surfaceFromRgba(const std::uint8_t* rgba, std::int32_t width, std::int32_t height,
                             std::size_t stride, Alpha alpha) {
  PixelSurface surface = PixelSurface::createForOverwrite(width, height, PixelSurface());
  if (surface.empty()) return surface;  // no rows to point into
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* in = rgba + std::size_t(y) * stride;
    ColorRef* out = surface.mutableRow(y);
    for (std::int32_t x = 0; x < width; ++x, in += 4) {
      const std::uint32_t a = in[3];
      if (a == 255) {
        out[x] = makeColor(in[0], in[1], in[2]);
      } else if (alpha == Alpha::Straight) {
        out[x] = makeColor(overWhite(in[0], a), overWhite(in[1], a), overWhite(in[2], a));
      } else {
        out[x] = makeColor(premultipliedOverWhite(in[0], a), premultipliedOverWhite(in[1], a),
                           premultipliedOverWhite(in[2], a));
      }
    }
  }
  return surface;
}

}  // namespace batchfit
