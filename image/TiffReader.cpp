// TIFF photos through libtiff's RGBA interface, which takes every
// photometric kind, depth and layout (strips or tiles, planar or not,
// palette, gray, CMYK, YCbCr, 16 bits), from the first page only; the
// Orientation tag and ICC profile of that page.
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "image/Error.h"
#include "image/PhotoReader.h"

namespace batchfit {

namespace {

// The bytes libtiff reads, as a file, and the last error it reported.
struct Source {
  const PhotoBytes& bytes;
  toff_t at = 0;
  std::string error;
};

tmsize_t readBytes(thandle_t handle, void* out, tmsize_t size) {
  auto& source = *static_cast<Source*>(handle);
  const toff_t left = source.at < source.bytes.size() ? source.bytes.size() - source.at : 0;
  const auto count = std::min<toff_t>(left, toff_t(size));
  if (count == 0) return 0;  // an empty file has no data to point into
  std::memcpy(out, source.bytes.data() + source.at, count);
  source.at += count;
  return tmsize_t(count);
}

tmsize_t writeNothing(thandle_t, void*, tmsize_t) {
  return 0;
}

toff_t seekTo(thandle_t handle, toff_t offset, int whence) {
  auto& source = *static_cast<Source*>(handle);
  const toff_t base = whence == SEEK_CUR ? source.at : whence == SEEK_END ? source.bytes.size() : 0;
  source.at = base + offset;
  return source.at;
}

int closeNothing(thandle_t) {
  return 0;
}

toff_t sizeOf(thandle_t handle) {
  return static_cast<Source*>(handle)->bytes.size();
}

int mapNothing(thandle_t, void**, toff_t*) {
  return 0;
}

void unmapNothing(thandle_t, void*, toff_t) {}

int keepError(TIFF*, void* user, const char*, const char* format, va_list args) {
  char message[256];
  std::vsnprintf(message, sizeof message, format, args);
  auto& source = *static_cast<Source*>(user);
  if (source.error.empty()) source.error = message;
  return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

// libtiff reports a file cut short as a read that came up short.
[[noreturn]] void raise(const Source& source, const char* otherwise) {
  const std::string& reason = source.error.empty() ? otherwise : source.error;
  if (reason.find("Read error") != std::string::npos || source.at > source.bytes.size()) {
    throw Error("Stream read error");
  }
  invalidPhoto("TIFF", reason);
}

// One libtiff reader over the bytes, its single allocations limited to what
// a picture may take, closed however the decoding ends.
class TiffFile {
 public:
  explicit TiffFile(const PhotoBytes& bytes) : source_{bytes, 0, {}} {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(
        options, tmsize_t(std::min<std::uint64_t>(surfaceMemoryLimit(), INT64_MAX)));
    TIFFOpenOptionsSetErrorHandlerExtR(options, keepError, &source_);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreWarning, nullptr);
    tiff_ = TIFFClientOpenExt("photo", "rm", &source_, readBytes, writeNothing, seekTo,
                              closeNothing, sizeOf, mapNothing, unmapNothing, options);
    TIFFOpenOptionsFree(options);
    if (!tiff_) raise(source_, "no TIFF header");
  }
  ~TiffFile() { TIFFClose(tiff_); }
  TiffFile(const TiffFile&) = delete;
  TiffFile& operator=(const TiffFile&) = delete;

  PhotoHeader header() const {
    std::uint32_t width = 0, height = 0;
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_ORIENTATION, &orientation);
    if (width > MaxPhotoSide || height > MaxPhotoSide) throw outOfResources();
    return PhotoHeader{std::int32_t(width), std::int32_t(height),
                       orientation >= 1 && orientation <= 8 ? int(orientation) : 1};
  }

  PhotoBytes iccProfile() const {
    std::uint32_t size = 0;
    const std::uint8_t* profile = nullptr;
    if (TIFFGetField(tiff_, TIFFTAG_ICCPROFILE, &size, &profile) == 0 || !profile) return {};
    return PhotoBytes(profile, profile + size);
  }

  // The pixels as stored, row 0 at the top whatever the Orientation tag says.
  PixelSurface pixels() {
    const PhotoHeader size = header();
    const auto width = std::uint64_t(size.width), height = std::uint64_t(size.height);
    checkPhotoSize(width, height, width * height * 4);
    char message[1024] = {};
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageOK(tiff_, message) || !TIFFRGBAImageBegin(&image, tiff_, 1, message)) {
      raise(source_, message);
    }
    image.req_orientation = ORIENTATION_TOPLEFT;
    image.orientation = ORIENTATION_TOPLEFT;
    std::vector<std::uint32_t> raster(width * height);
    const int done =
        TIFFRGBAImageGet(&image, raster.data(), std::uint32_t(width), std::uint32_t(height));
    TIFFRGBAImageEnd(&image);
    if (!done) raise(source_, "the pixels could not be read");
    // Each word holds red in its low byte, then green, blue and alpha: the
    // bytes in that order; libtiff premultiplies the colours by the alpha.
    return surfaceFromRgba(reinterpret_cast<const std::uint8_t*>(raster.data()),
                           std::int32_t(width), std::int32_t(height), width * 4,
                           Alpha::Premultiplied);
  }

 private:
  Source source_;
  TIFF* tiff_ = nullptr;
};

}  // namespace

const PhotoReader& tiffReader() {
  static const ExifOrientedReader<TiffFile> reader;
  return reader;
}

}  // namespace batchfit
