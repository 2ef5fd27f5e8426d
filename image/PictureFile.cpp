#include "image/PictureFile.h"

#include <array>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "image/Error.h"
#include "image/ExifOrientation.h"
#include "image/FileIo.h"
#include "image/JpegObject.h"
#include "image/PathRules.h"

namespace batchfit {

namespace {

struct Registration {
  std::string_view extension;
  PictureKind kind;
};

// In the order the kinds were registered; later entries win.
constexpr std::array<Registration, 6> Registered{{
    {"wmf", PictureKind::Metafile},
    {"emf", PictureKind::EnhancedMetafile},
    {"ico", PictureKind::Icon},
    {"bmp", PictureKind::Bitmap},
    {"jpeg", PictureKind::Jpeg},
    {"jpg", PictureKind::Jpeg},
}};

std::string lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return text;
}

PictureKind kindOf(const std::string& path) {
  const std::string dotted = extensionPart(path);
  const std::string extension = dotted.empty() ? dotted : dotted.substr(1);
  const std::string key = lowered(extension);
  for (auto entry = Registered.rbegin(); entry != Registered.rend(); ++entry) {
    if (entry->extension == key) return entry->kind;
  }
  throw Error(formatMessage("Unknown picture file extension (.%s)", {extension}));
}

// Little-endian fields of a file's bytes; reading past the end is a read error.
class Fields {
 public:
  explicit Fields(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  void need(std::uint64_t size) const {
    if (bytes_.size() < size) throw Error("Stream read error");
  }
  std::uint32_t u16(std::size_t at) const { return unsigned(byte(at) | byte(at + 1) << 8); }
  std::uint32_t u32(std::size_t at) const { return u16(at) | u16(at + 2) << 16; }
  std::int32_t i16(std::size_t at) const { return std::int16_t(u16(at)); }
  std::int32_t i32(std::size_t at) const { return std::int32_t(u32(at)); }
  std::uint8_t byte(std::size_t at) const {
    need(at + 1);
    return bytes_[at];
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
};

[[noreturn]] void invalid(const char* message) {
  throw Error(message);
}

// A length in source units as pixels on a 96 dpi screen, rounded half away from 0.
std::int32_t screenPixels(std::int64_t length, std::int64_t unitsPerInch) {
  const std::int64_t pixels = (std::llabs(length) * 96 + unitsPerInch / 2) / unitsPerInch;
  return std::int32_t(std::min<std::int64_t>(pixels, std::numeric_limits<std::int32_t>::max()));
}

// ---- BMP ----

// Only a file without "BM" is no bitmap: any header declares a size. The
// 12-byte core header has unsigned 16-bit sizes; every other header size is
// read as the 40-byte info header. A depth no reader draws (2 bits, say)
// still has rows of width x depth bits, padded to 4 bytes, so the size is
// declared all the same: a bitmap never becomes a source picture, and one
// large enough for the size test ends the run when it is read as a JPEG.
struct BitmapHeader {
  std::int64_t width = 0, height = 0;
  std::uint32_t bitCount = 0, compression = 0, imageSize = 0;
};

BitmapHeader bitmapHeader(const Fields& f, std::uint32_t headerSize) {
  if (headerSize == 12) return BitmapHeader{f.u16(18), f.u16(20), f.u16(24), 0, 0};
  f.need(14 + 40);
  return BitmapHeader{f.i32(18), f.i32(22), f.u16(28), f.u32(30), f.u32(34)};
}

// Bytes of pixel data the header promises; a negative width has rows of its
// magnitude, as the height has. More than any file holds is a read error.
std::uint64_t pixelDataSize(const BitmapHeader& h) {
  const bool uncompressed = h.compression == 0 || h.compression == 3 || h.compression == 6;
  if (!uncompressed) return h.imageSize;
  const std::uint64_t rowBytes = (std::uint64_t(std::llabs(h.width)) * h.bitCount + 31) / 32 * 4;
  const std::uint64_t rows = std::uint64_t(std::llabs(h.height));
  if (rows != 0 && rowBytes > std::numeric_limits<std::uint64_t>::max() / 2 / rows) {
    throw Error("Stream read error");
  }
  return rowBytes * rows;
}

// The declared size: the width, and the magnitude of the height (bottom-up
// rows have a positive one, top-down a negative one). The one height whose
// magnitude a 32-bit size cannot hold is declared as the largest.
Picture readBitmap(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return Picture{PictureKind::Bitmap, 0, 0};
  const Fields f(bytes);
  f.need(14);
  if (bytes[0] != 'B' || bytes[1] != 'M') invalid("Bitmap image is not valid");
  const std::uint32_t headerSize = f.u32(14);
  const BitmapHeader h = bitmapHeader(f, headerSize);
  const std::uint64_t dataStart =
      std::max<std::uint64_t>(f.u32(10), 14 + std::uint64_t(headerSize));
  f.need(dataStart + pixelDataSize(h));
  const std::int64_t height =
      std::min<std::int64_t>(std::llabs(h.height), std::numeric_limits<std::int32_t>::max());
  return Picture{PictureKind::Bitmap, std::int32_t(h.width), std::int32_t(height)};
}

// ---- icons ----

Picture readIcon(const std::vector<std::uint8_t>& bytes) {
  const Fields f(bytes);
  f.need(6);
  const std::uint32_t count = f.u16(4);
  if (f.u16(0) != 0 || f.u16(2) != 1 || count == 0) invalid("Icon image is not valid");
  f.need(6 + 16 * std::uint64_t(count));
  // The first image's directory entry gives the size; 0 there means 256.
  const std::int32_t width = f.byte(6) ? f.byte(6) : 256;
  const std::int32_t height = f.byte(7) ? f.byte(7) : 256;
  const std::uint32_t size = f.u32(6 + 8);
  if (size == 0) invalid("Icon image is not valid");
  f.need(std::uint64_t(f.u32(6 + 12)) + size);
  return Picture{PictureKind::Icon, width, height};
}

// ---- metafiles ----

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7u;
constexpr std::uint32_t EmfSignature = 0x464D4520u;  // " EMF"
constexpr std::uint32_t SetWindowExt = 0x020C;

// The enhanced metafile's frame is in hundredths of a millimetre.
Picture readEnhanced(const Fields& f, PictureKind kind) {
  f.need(88);
  if (f.u32(40) != EmfSignature) invalid("Metafile is not valid");
  const std::int64_t width = std::int64_t(f.i32(32)) - f.i32(24);
  const std::int64_t height = std::int64_t(f.i32(36)) - f.i32(28);
  return Picture{kind, screenPixels(width, 2540), screenPixels(height, 2540)};
}

void checkStandardHeader(const Fields& f, std::size_t at) {
  f.need(at + 18);
  const std::uint32_t type = f.u16(at), version = f.u16(at + 4);
  if ((type != 1 && type != 2) || f.u16(at + 2) != 9 || (version != 0x100 && version != 0x300)) {
    invalid("Metafile is not valid");
  }
}

// A metafile without the placeable header states its size only in the
// window extent it sets; one that sets none has no size.
Picture readStandard(const Fields& f, std::size_t size, PictureKind kind) {
  checkStandardHeader(f, 0);
  for (std::size_t at = 18; at + 6 <= size;) {
    const std::uint64_t words = f.u32(at);
    const std::uint32_t function = f.u16(at + 4);
    if (function == 0 || words < 3) break;  // the end record, or no record at all
    if (function == SetWindowExt && at + 10 <= size) {
      return Picture{kind, std::abs(f.i16(at + 8)), std::abs(f.i16(at + 6))};
    }
    at += std::size_t(std::min<std::uint64_t>(words * 2, size));
  }
  return Picture{kind, 0, 0};
}

// The placeable header gives the picture's bounds in units of 1/inch inch.
Picture readPlaceable(const Fields& f, PictureKind kind) {
  f.need(22);
  const std::int64_t unitsPerInch = f.u16(14);
  if (unitsPerInch == 0) invalid("Metafile is not valid");
  checkStandardHeader(f, 22);
  const std::int64_t width = std::int64_t(f.i16(10)) - f.i16(6);
  const std::int64_t height = std::int64_t(f.i16(12)) - f.i16(8);
  return Picture{kind, screenPixels(width, unitsPerInch), screenPixels(height, unitsPerInch)};
}

// Both metafile kinds read either form; the content tells which it is.
Picture readMetafile(const std::vector<std::uint8_t>& bytes, PictureKind kind) {
  const Fields f(bytes);
  f.need(4);
  if (f.u32(0) == PlaceableKey) return readPlaceable(f, kind);
  if (f.u32(0) == 1) return readEnhanced(f, kind);
  return readStandard(f, bytes.size(), kind);
}

Picture readJpeg(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return Picture{PictureKind::Jpeg, 0, 0};
  const JpegHeader header = readJpegHeader(bytes);
  return Picture{PictureKind::Jpeg, std::int32_t(header.width), std::int32_t(header.height)};
}

}  // namespace

Picture readPicture(PictureKind kind, const std::vector<std::uint8_t>& bytes) {
  switch (kind) {
    case PictureKind::Jpeg:
      return readJpeg(bytes);
    case PictureKind::Bitmap:
      return readBitmap(bytes);
    case PictureKind::Icon:
      return readIcon(bytes);
    default:
      return readMetafile(bytes, kind);
  }
}

Picture jpegPicture(const JpegHeader& header, bool upright) {
  const auto width = std::int32_t(header.width), height = std::int32_t(header.height);
  if (upright && swapsSides(header.orientation)) return Picture{PictureKind::Jpeg, height, width};
  return Picture{PictureKind::Jpeg, width, height};
}

void loadPicture(PictureRole& role, const std::string& path, bool upright) {
  const PictureKind kind = kindOf(path);
  if (kind != PictureKind::Jpeg) {
    role.setPicture(readPicture(kind, readWholeFile(path)));
    return;
  }
  // Only the header counts here; the decoder reads the whole file anyway.
  role.setPicture(jpegPicture(readJpegFileHeader(path), upright));
}

void loadPicture(PictureRole& role, const std::string& path, const std::vector<std::uint8_t>& bytes,
                 bool upright) {
  const PictureKind kind = kindOf(path);
  if (kind == PictureKind::Jpeg && !bytes.empty()) {
    role.setPicture(jpegPicture(readJpegHeader(bytes), upright));
    return;
  }
  role.setPicture(readPicture(kind, bytes));
}

}  // namespace batchfit
