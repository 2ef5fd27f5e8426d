// BMP photos through gdk-pixbuf's BMP loader, which reads a bitmap as its
// header describes it: 1, 4 and 8 bits with a colour table, 16 and 32 bits
// with or without bit fields, 24 bits, RLE4 and RLE8, bottom-up or top-down.
// The declared size and the check that the file holds its pixel data are
// the bitmap header reading the size test has always used.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include "image/Error.h"
#include "image/OnDemand.h"
#include "image/PhotoReader.h"
#include "image/PictureFile.h"

namespace batchfit {

namespace {

// The few gdk-pixbuf functions the reader needs. Linked in, gdk-pixbuf
// would bring GLib's gio with it, which costs every run about 10 ms of
// start-up; loaded on demand, only a run that reads a bitmap pays for it.
struct Pixbuf {
  decltype(&gdk_pixbuf_loader_new_with_type) newLoader = nullptr;
  decltype(&gdk_pixbuf_loader_write) write = nullptr;
  decltype(&gdk_pixbuf_loader_close) close = nullptr;
  decltype(&gdk_pixbuf_loader_get_pixbuf) pixbuf = nullptr;
  decltype(&gdk_pixbuf_get_width) width = nullptr;
  decltype(&gdk_pixbuf_get_height) height = nullptr;
  decltype(&gdk_pixbuf_get_n_channels) channels = nullptr;
  decltype(&gdk_pixbuf_get_bits_per_sample) bitsPerSample = nullptr;
  decltype(&gdk_pixbuf_get_rowstride) rowstride = nullptr;
  decltype(&gdk_pixbuf_read_pixels) pixels = nullptr;
  decltype(&g_object_unref) unref = nullptr;
  decltype(&g_error_free) freeError = nullptr;
  std::string missing;  // why gdk-pixbuf could not be loaded, if it could not
};

Pixbuf load() {
  Pixbuf p;
  // Never unloaded: GLib's type system cannot be taken down again.
  void* library = openOnDemand("libgdk_pixbuf-2.0.so.0", p.missing);
  if (!library) return p;
  const bool complete = take(library, "gdk_pixbuf_loader_new_with_type", p.newLoader) &&
                        take(library, "gdk_pixbuf_loader_write", p.write) &&
                        take(library, "gdk_pixbuf_loader_close", p.close) &&
                        take(library, "gdk_pixbuf_loader_get_pixbuf", p.pixbuf) &&
                        take(library, "gdk_pixbuf_get_width", p.width) &&
                        take(library, "gdk_pixbuf_get_height", p.height) &&
                        take(library, "gdk_pixbuf_get_n_channels", p.channels) &&
                        take(library, "gdk_pixbuf_get_bits_per_sample", p.bitsPerSample) &&
                        take(library, "gdk_pixbuf_get_rowstride", p.rowstride) &&
                        take(library, "gdk_pixbuf_read_pixels", p.pixels) &&
                        take(library, "g_object_unref", p.unref) &&
                        take(library, "g_error_free", p.freeError);
  if (!complete) p.missing = "libgdk_pixbuf-2.0.so.0 lacks the loader";
  return p;
}

const Pixbuf& pixbuf() {
  static const Pixbuf loaded = load();
  return loaded;
}

// One BMP loader, released however the decoding ends.
class Loader {
 public:
  explicit Loader(const Pixbuf& p) : p_(p) {
    if (!p_.missing.empty()) invalidPhoto("BMP", p_.missing);
    loader_ = p_.newLoader("bmp", &error_);
    check(loader_ != nullptr);
  }
  ~Loader() {
    if (error_) p_.freeError(error_);
    if (loader_) {
      if (!closed_) p_.close(loader_, nullptr);
      p_.unref(loader_);
    }
  }
  Loader(const Loader&) = delete;
  Loader& operator=(const Loader&) = delete;

  const GdkPixbuf* decode(const PhotoBytes& bytes) {
    check(p_.write(loader_, bytes.data(), bytes.size(), &error_) != 0);
    closed_ = true;
    check(p_.close(loader_, &error_) != 0);
    const GdkPixbuf* result = p_.pixbuf(loader_);
    check(result != nullptr);
    return result;
  }

 private:
  void check(bool done) const {
    if (!done) invalidPhoto("BMP", error_ ? error_->message : "the loader gave no picture");
  }

  const Pixbuf& p_;
  GdkPixbufLoader* loader_ = nullptr;
  GError* error_ = nullptr;
  bool closed_ = false;
};

PixelSurface surfaceOf(const Pixbuf& p, const GdkPixbuf* image) {
  const int width = p.width(image), height = p.height(image), channels = p.channels(image);
  const std::uint8_t* pixels = p.pixels(image);
  const auto stride = std::size_t(p.rowstride(image));
  if (p.bitsPerSample(image) != 8 || (channels != 3 && channels != 4)) {
    invalidPhoto("BMP", "unexpected pixel layout");
  }
  if (channels == 4) return surfaceFromRgba(pixels, width, height, stride);
  PixelSurface surface = PixelSurface::createForOverwrite(width, height, PixelSurface());
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = pixels + std::size_t(y) * stride;
    ColorRef* out = surface.mutableRow(y);
    for (int x = 0; x < width; ++x, in += 3) out[x] = makeColor(in[0], in[1], in[2]);
  }
  return surface;
}

// gdk-pixbuf sizes its colour table by the header's count of colours used
// before it checks it: a bitmap claiming billions would make it allocate
// gigabytes. No bitmap has more than 256 colours in its table.
void checkColourTable(const PhotoBytes& bytes) {
  const auto u32 = [&](std::size_t at) {
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
           std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
  };
  if (bytes.size() < 50 || u32(14) < 40) return;
  if (u32(46) > 256) invalidPhoto("BMP", "more than 256 colours in its table");
}

class BmpReader : public PhotoReader {
 public:
  PhotoHeader readHeader(const PhotoBytes& bytes, bool) const override {
    const Picture declared = readPicture(PictureKind::Bitmap, bytes);
    // Rows of a negative width are no photo a reader could give.
    if (declared.width < 0) invalidPhoto("BMP", "negative width");
    return PhotoHeader{declared.width, declared.height, 1};
  }
  DecodedPhoto decode(const PhotoBytes& bytes, bool upright) const override {
    const PhotoHeader declared = readHeader(bytes, upright);
    // The loader's picture and our copy of it, both before the loader sees a byte.
    const auto width = std::uint64_t(declared.width), height = std::uint64_t(declared.height);
    checkPhotoSize(width, height, width * height * 4);
    checkColourTable(bytes);
    Loader loader(pixbuf());
    const GdkPixbuf* image = loader.decode(bytes);
    DecodedPhoto photo;
    photo.surface = surfaceOf(pixbuf(), image);
    if (photo.surface.width() != declared.width || photo.surface.height() != declared.height) {
      invalidPhoto("BMP", "the pixels do not have the header's size");
    }
    return photo;
  }
};

}  // namespace

const PhotoReader& bmpReader() {
  static const BmpReader reader;
  return reader;
}

}  // namespace batchfit
