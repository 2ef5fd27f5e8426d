// PNG photos through libpng: every colour type and depth expanded to 8-bit
// RGBA (16-bit scaled down, palette and gray expanded, interlaced passes
// combined), its EXIF orientation (eXIf) and ICC profile (iCCP).
#include <png.h>

#include <cstring>

#include "image/Error.h"
#include "image/ExifOrientation.h"
#include "image/PhotoReader.h"

namespace batchfit {

namespace {

constexpr const char* ReadError = "Stream read error";

struct Source {
  const PhotoBytes& bytes;
  std::size_t at = 0;
  char message[256] = {};
};

void readFromBytes(png_structp png, png_bytep out, std::size_t length) {
  auto& source = *static_cast<Source*>(png_get_io_ptr(png));
  if (source.bytes.size() - source.at < length) png_error(png, ReadError);
  std::memcpy(out, source.bytes.data() + source.at, length);
  source.at += length;
}

// libpng's message is kept for the error raised once it has unwound.
void keepError(png_structp png, png_const_charp message) {
  auto& source = *static_cast<Source*>(png_get_error_ptr(png));
  std::strncpy(source.message, message, sizeof source.message - 1);
  png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Each libpng call that may fail runs under its own setjmp, in a frame with
// nothing to destroy, so that libpng's longjmp skips no destructor.
bool readInfo(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  return true;
}

bool expandToRgba(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  return true;
}

bool readImage(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  return true;
}

// One libpng reader over the bytes, with our limits in place of its defaults.
class PngDecoder {
 public:
  explicit PngDecoder(const PhotoBytes& bytes) : source_{bytes} {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source_, keepError, ignoreWarning);
    if (!png_) throw outOfResources();
    info_ = png_create_info_struct(png_);
    if (!info_) {
      png_destroy_read_struct(&png_, nullptr, nullptr);
      throw outOfResources();
    }
    png_set_read_fn(png_, &source_, readFromBytes);
    png_set_user_limits(png_, MaxPhotoSide, MaxPhotoSide);
    png_set_chunk_cache_max(png_, 256);
    png_set_chunk_malloc_max(png_, 16 << 20);
    if (readInfo(png_, info_)) return;
    const Source failed = source_;
    png_destroy_read_struct(&png_, &info_, nullptr);
    raise(failed);
  }
  ~PngDecoder() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  PhotoHeader header() const {
    PhotoHeader header{std::int32_t(png_get_image_width(png_, info_)),
                       std::int32_t(png_get_image_height(png_, info_)), 1};
    png_uint_32 size = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png_, info_, &size, &exif) != 0 && exif) {
      header.orientation = embeddedExifOrientation(exif, size);
    }
    return header;
  }

  PhotoBytes iccProfile() const {
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 size = 0;
    if (png_get_iCCP(png_, info_, &name, &compression, &profile, &size) == 0 || !profile) {
      return {};
    }
    return PhotoBytes(profile, profile + size);
  }

  PixelSurface pixels() {
    const std::uint64_t width = png_get_image_width(png_, info_);
    const std::uint64_t height = png_get_image_height(png_, info_);
    checkPhotoSize(width, height, width * height * 4);
    check(expandToRgba(png_, info_));
    if (png_get_rowbytes(png_, info_) != width * 4) invalidPhoto("PNG", "unexpected row layout");
    std::vector<std::uint8_t> rgba(width * height * 4);
    std::vector<png_bytep> rows(height);
    for (std::size_t y = 0; y < height; ++y) rows[y] = rgba.data() + y * width * 4;
    check(readImage(png_, rows.data()));
    return surfaceFromRgba(rgba.data(), std::int32_t(width), std::int32_t(height), width * 4);
  }

 private:
  void check(bool done) const {
    if (!done) raise(source_);
  }
  [[noreturn]] static void raise(const Source& failed) {
    if (std::strcmp(failed.message, ReadError) == 0) throw Error(ReadError);
    invalidPhoto("PNG", failed.message);
  }

  Source source_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

}  // namespace

const PhotoReader& pngReader() {
  static const ExifOrientedReader<PngDecoder> reader;
  return reader;
}

}  // namespace batchfit
