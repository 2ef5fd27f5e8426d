#include "image/ExifOrientation.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace batchfit {

namespace {

constexpr std::uint8_t MarkerSoi = 0xD8;
constexpr std::uint8_t MarkerEoi = 0xD9;
constexpr std::uint8_t MarkerSos = 0xDA;
constexpr std::uint8_t MarkerApp1 = 0xE1;
constexpr std::uint16_t OrientationTag = 0x0112;
constexpr std::uint16_t TypeShort = 3;
constexpr std::uint16_t TypeLong = 4;
constexpr int Upright = 1;

// The TIFF structure inside an EXIF segment: fields in its byte order, every
// read checked against its end. A read beyond it gives nothing.
class TiffFields {
 public:
  TiffFields(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool readByteOrder() {
    if (size_ < 2) return false;
    if (data_[0] == 'I' && data_[1] == 'I') {
      bigEndian_ = false;
    } else if (data_[0] == 'M' && data_[1] == 'M') {
      bigEndian_ = true;
    } else {
      return false;
    }
    return true;
  }
  // Whether the structure holds every byte before end.
  bool reaches(std::uint64_t end) const { return end <= size_; }
  std::optional<std::uint32_t> u16(std::uint64_t at) const { return field(at, 2); }
  std::optional<std::uint32_t> u32(std::uint64_t at) const { return field(at, 4); }

 private:
  std::optional<std::uint32_t> field(std::uint64_t at, int width) const {
    if (at + std::uint64_t(width) > size_) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
      const std::uint32_t byte = data_[at + std::uint64_t(bigEndian_ ? i : width - 1 - i)];
      value = value << 8 | byte;
    }
    return value;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  bool bigEndian_ = false;
};

// The tag in the TIFF structure: the header ("II" or "MM", 42, the first
// directory's offset), then that directory's 12-byte entries.
int orientationInTiff(const std::uint8_t* data, std::size_t size) {
  TiffFields tiff(data, size);
  if (!tiff.readByteOrder() || tiff.u16(2) != 42u) return Upright;
  const std::optional<std::uint32_t> directory = tiff.u32(4);
  if (!directory) return Upright;
  const std::optional<std::uint32_t> entries = tiff.u16(*directory);
  // A directory that claims more entries than the segment holds is broken.
  if (!entries || !tiff.reaches(*directory + 2 + 12 * std::uint64_t(*entries))) return Upright;
  for (std::uint64_t i = 0; i < *entries; ++i) {
    const std::uint64_t entry = *directory + 2 + 12 * i;
    if (tiff.u16(entry) != OrientationTag) continue;
    // Some writers store the tag as a LONG; photo tools read it all the same.
    const std::optional<std::uint32_t> type = tiff.u16(entry + 2);
    const std::optional<std::uint32_t> value =
        type == TypeLong ? tiff.u32(entry + 8) : tiff.u16(entry + 8);
    const bool wellFormed = (type == TypeShort || type == TypeLong) && tiff.u32(entry + 4) == 1u;
    return wellFormed && value && *value >= 1 && *value <= 8 ? int(*value) : Upright;
  }
  return Upright;
}

// An APP1 segment's content (after its length): EXIF data begin "Exif\0\0".
bool holdsExif(const std::uint8_t* data, std::size_t size) {
  return size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0;
}

// Markers without a length: TEM and the restart markers.
bool standsAlone(std::uint8_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

}  // namespace

int exifOrientation(const std::uint8_t* bytes, std::size_t size) {
  if (size < 2 || bytes[0] != 0xFF || bytes[1] != MarkerSoi) return Upright;
  std::size_t at = 2;
  // The segments before the first scan, by their lengths as libjpeg skips
  // them. Where libjpeg would search on for a marker (bytes between
  // segments), the walk stops: no tag beyond such bytes is read.
  while (at < size && bytes[at] == 0xFF) {
    while (at < size && bytes[at] == 0xFF) ++at;  // fill bytes
    if (at >= size) break;
    const std::uint8_t marker = bytes[at++];
    // A zero is a stuffed byte, no marker: libjpeg would look on for one.
    if (marker == 0x00 || marker == MarkerSos || marker == MarkerEoi) break;
    if (standsAlone(marker)) continue;
    if (size - at < 2) break;
    const std::size_t length = std::size_t(bytes[at]) << 8 | bytes[at + 1];
    if (length < 2 || length > size - at) break;
    const std::uint8_t* content = bytes + at + 2;
    if (marker == MarkerApp1 && holdsExif(content, length - 2)) {
      return orientationInTiff(content + 6, length - 2 - 6);
    }
    at += length;
  }
  return Upright;
}

int embeddedExifOrientation(const std::uint8_t* data, std::size_t size) {
  if (holdsExif(data, size)) return orientationInTiff(data + 6, size - 6);
  return orientationInTiff(data, size);
}

PixelSurface uprightSurface(const PixelSurface& stored, int orientation) {
  if (orientation < 2 || orientation > 8) return stored;
  const std::int64_t w = stored.width(), h = stored.height();
  // Upright pixel (x, y) comes from stored pixel (sx, sy), where
  // sx = x0 + xx * x + xy * y and sy = y0 + yx * x + yy * y.
  struct Map {
    std::int64_t x0, xx, xy, y0, yx, yy;
  };
  const Map maps[] = {
      {w - 1, -1, 0, 0, 0, 1},       // 2 mirrored left to right
      {w - 1, -1, 0, h - 1, 0, -1},  // 3 half a turn
      {0, 1, 0, h - 1, 0, -1},       // 4 mirrored top to bottom
      {0, 0, 1, 0, 1, 0},            // 5 mirrored along the diagonal
      {0, 0, 1, h - 1, -1, 0},       // 6 stored a quarter turn to the left
      {w - 1, 0, -1, h - 1, -1, 0},  // 7 mirrored along the other diagonal
      {w - 1, 0, -1, 0, 1, 0},       // 8 stored a quarter turn to the right
  };
  const Map& map = maps[orientation - 2];
  const bool swapped = swapsSides(orientation);
  const std::int32_t width = swapped ? stored.height() : stored.width();
  const std::int32_t height = swapped ? stored.width() : stored.height();
  PixelSurface upright = PixelSurface::createForOverwrite(width, height, PixelSurface());
  if (upright.empty()) return upright;
  // In tiles, so that reading the stored picture down its columns stays in
  // the cache.
  constexpr std::int32_t Tile = 64;
  const ColorRef* source = stored.row(0);
  for (std::int32_t top = 0; top < height; top += Tile) {
    for (std::int32_t left = 0; left < width; left += Tile) {
      for (std::int32_t y = top; y < std::min(top + Tile, height); ++y) {
        ColorRef* out = upright.mutableRow(y);
        for (std::int32_t x = left; x < std::min(left + Tile, width); ++x) {
          const std::int64_t sx = map.x0 + map.xx * x + map.xy * y;
          const std::int64_t sy = map.y0 + map.yx * x + map.yy * y;
          out[x] = source[sy * w + sx];
        }
      }
    }
  }
  return upright;
}

}  // namespace batchfit
