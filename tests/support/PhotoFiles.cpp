#include "tests/support/PhotoFiles.h"

#include <png.h>

#include <cstdlib>
#include <map>
#include <stdexcept>

#include "tests/support/CraftedFiles.h"

namespace photofiles {

using batchfit::blueOf;
using batchfit::greenOf;
using batchfit::PixelSurface;
using batchfit::redOf;

batchfit::PixelSurface overWhite(const PixelSurface& pixels, const AlphaFn& alpha) {
  PixelSurface out = pixels;
  if (!alpha) return out;
  const auto over = [](unsigned c, unsigned a) { return (c * a + 255 * (255 - a) + 127) / 255; };
  for (int y = 0; y < pixels.height(); ++y) {
    for (int x = 0; x < pixels.width(); ++x) {
      const batchfit::ColorRef c = pixels.getPixel(x, y);
      const unsigned a = alpha(x, y);
      out.setPixel(x, y,
                   batchfit::makeColor(over(redOf(c), a), over(greenOf(c), a), over(blueOf(c), a)));
    }
  }
  return out;
}

namespace {

void appendBytes(png_structp png, png_bytep data, std::size_t length) {
  auto& out = *static_cast<Bytes*>(png_get_io_ptr(png));
  out.insert(out.end(), data, data + length);
}

void flushNothing(png_structp) {}

[[noreturn]] void failWriting(png_structp, png_const_charp message) {
  throw std::runtime_error(message);
}

int pngColourType(PngColour colour) {
  switch (colour) {
    case PngColour::Gray:
      return PNG_COLOR_TYPE_GRAY;
    case PngColour::Palette:
      return PNG_COLOR_TYPE_PALETTE;
    case PngColour::GrayAlpha:
      return PNG_COLOR_TYPE_GRAY_ALPHA;
    case PngColour::RgbAlpha:
      return PNG_COLOR_TYPE_RGB_ALPHA;
    case PngColour::Rgb:
      break;
  }
  return PNG_COLOR_TYPE_RGB;
}

// The samples of one pixel in the colour type's order, before packing.
std::vector<unsigned> samplesOf(batchfit::ColorRef c, std::uint8_t alpha, PngColour colour) {
  switch (colour) {
    case PngColour::Gray:
      return {redOf(c)};
    case PngColour::GrayAlpha:
      return {redOf(c), alpha};
    case PngColour::RgbAlpha:
      return {redOf(c), greenOf(c), blueOf(c), alpha};
    default:
      return {redOf(c), greenOf(c), blueOf(c)};
  }
}

struct Writer {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, failWriting, nullptr);
  png_infop info = png_create_info_struct(png);
  ~Writer() { png_destroy_write_struct(&png, &info); }
};

}  // namespace

Bytes writePng(const PixelSurface& pixels, const PngOptions& options) {
  Bytes out;
  Writer w;
  png_set_write_fn(w.png, &out, appendBytes, flushNothing);
  const int width = pixels.width(), height = pixels.height();
  png_set_IHDR(w.png, w.info, png_uint_32(width), png_uint_32(height), options.bitDepth,
               pngColourType(options.colour),
               options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::map<batchfit::ColorRef, int> index;
  if (options.colour == PngColour::Palette) {
    std::vector<png_color> palette;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const batchfit::ColorRef c = pixels.getPixel(x, y);
        if (index.emplace(c, int(palette.size())).second) {
          palette.push_back({redOf(c), greenOf(c), blueOf(c)});
        }
      }
    }
    if (palette.size() > 256) throw std::runtime_error("more than 256 colours for a palette");
    png_set_PLTE(w.png, w.info, palette.data(), int(palette.size()));
  }
  Bytes exif;
  if (options.orientation != 0) {
    exif = crafted::exifTiff(std::uint16_t(options.orientation));
    png_set_eXIf_1(w.png, w.info, png_uint_32(exif.size()), exif.data());
  }
  if (!options.iccProfile.empty()) {
    png_set_iCCP(w.png, w.info, "test", PNG_COMPRESSION_TYPE_BASE, options.iccProfile.data(),
                 png_uint_32(options.iccProfile.size()));
  }
  png_write_info(w.png, w.info);
  const int bytesPerSample = options.bitDepth / 8;
  std::vector<Bytes> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const batchfit::ColorRef c = pixels.getPixel(x, y);
      if (options.colour == PngColour::Palette) {
        rows[y].push_back(std::uint8_t(index.at(c)));
        continue;
      }
      const std::uint8_t alpha = options.alpha ? options.alpha(x, y) : 255;
      for (const unsigned sample : samplesOf(c, alpha, options.colour)) {
        // 16 bits of v * 257 scale back to exactly v.
        for (int b = 0; b < bytesPerSample; ++b) rows[y].push_back(std::uint8_t(sample));
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (Bytes& row : rows) pointers.push_back(row.data());
  png_write_image(w.png, pointers.data());
  png_write_end(w.png, w.info);
  return out;
}

Bytes pngBomb(std::uint32_t width, std::uint32_t height) {
  Bytes out;
  Writer w;
  png_set_write_fn(w.png, &out, appendBytes, flushNothing);
  png_set_IHDR(w.png, w.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Small IDAT chunks, so that the first row's data are out at once.
  png_set_compression_buffer_size(w.png, 256);
  png_write_info(w.png, w.info);
  Bytes row(std::size_t(width) * 3);
  for (std::size_t i = 0; i < row.size(); ++i) row[i] = std::uint8_t(i * 2654435761u >> 24);
  png_write_row(w.png, row.data());
  png_write_flush(w.png);
  return out;
}

}  // namespace photofiles
