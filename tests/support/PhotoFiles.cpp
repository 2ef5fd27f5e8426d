#include "tests/support/PhotoFiles.h"

#include <lcms2.h>
#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdlib>
#include <map>
#include <stdexcept>

#include "tests/support/CraftedFiles.h"
#include "tests/support/TestPictures.h"

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

namespace {

void writeTiffPage(TIFF* tiff, const PixelSurface& pixels, const TiffOptions& options, int page) {
  const int width = pixels.width(), height = pixels.height();
  const int colours = options.gray ? 1 : 3, samples = colours + (options.alpha ? 1 : 0);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, std::uint32_t(width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, std::uint32_t(height));
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, std::uint16_t(samples));
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, std::uint16_t(options.bitsPerSample));
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, options.gray ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  if (options.alpha) {
    const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (options.orientation != 0) {
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, std::uint16_t(options.orientation));
  }
  if (!options.iccProfile.empty()) {
    TIFFSetField(tiff, TIFFTAG_ICCPROFILE, std::uint32_t(options.iccProfile.size()),
                 options.iccProfile.data());
  }
  if (page > 0) TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
  const int bytes = options.bitsPerSample / 8;
  const auto sampleRow = [&](int y) {
    Bytes row;
    for (int x = 0; x < width; ++x) {
      const batchfit::ColorRef c = page == 0 ? pixels.getPixel(x, y) : 0;
      std::vector<unsigned> values = {redOf(c), greenOf(c), blueOf(c)};
      values.resize(std::size_t(colours));
      if (options.alpha) values.push_back(options.alpha(x, y));
      // 16 bits of v * 257 scale back to exactly v.
      for (const unsigned v : values) row.insert(row.end(), std::size_t(bytes), std::uint8_t(v));
    }
    return row;
  };
  if (options.tiled) {
    constexpr int Tile = 16;
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, std::uint32_t(Tile));
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, std::uint32_t(Tile));
    const std::size_t pixel = std::size_t(samples * bytes);
    for (int top = 0; top < height; top += Tile) {
      std::vector<Bytes> rows;
      for (int y = top; y < top + Tile; ++y) rows.push_back(y < height ? sampleRow(y) : Bytes());
      for (int left = 0; left < width; left += Tile) {
        Bytes tile(Tile * Tile * pixel, 0);
        for (int y = 0; y < Tile && top + y < height; ++y) {
          for (int x = 0; x < Tile && left + x < width; ++x) {
            std::copy_n(&rows[y][(left + x) * pixel], pixel, &tile[(y * Tile + x) * pixel]);
          }
        }
        TIFFWriteTile(tiff, tile.data(), std::uint32_t(left), std::uint32_t(top), 0, 0);
      }
    }
  } else {
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, std::uint32_t(8));
    for (int y = 0; y < height; ++y) {
      Bytes row = sampleRow(y);
      TIFFWriteScanline(tiff, row.data(), std::uint32_t(y), 0);
    }
  }
  TIFFWriteDirectory(tiff);
}

}  // namespace

Bytes writeTiff(const PixelSurface& pixels, const TiffOptions& options) {
  testpics::TempDir dir;
  const std::string path = dir.file("photo.tif");
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff) throw std::runtime_error("cannot write " + path);
  for (int page = 0; page < options.pages; ++page) writeTiffPage(tiff, pixels, options, page);
  TIFFClose(tiff);
  return testpics::readFile(path);
}

Bytes writeWebp(const PixelSurface& pixels, const WebpOptions& options) {
  const int width = pixels.width(), height = pixels.height();
  Bytes rgba;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const batchfit::ColorRef c = pixels.getPixel(x, y);
      rgba.insert(rgba.end(), {redOf(c), greenOf(c), blueOf(c),
                               std::uint8_t(options.alpha ? options.alpha(x, y) : 255)});
    }
  }
  std::uint8_t* encoded = nullptr;
  const std::size_t size =
      options.lossless
          ? WebPEncodeLosslessRGBA(rgba.data(), width, height, width * 4, &encoded)
          : WebPEncodeRGBA(rgba.data(), width, height, width * 4, float(options.quality), &encoded);
  if (size == 0) throw std::runtime_error("WebP encoding failed");
  const WebPData image{encoded, size};
  WebPMux* mux = WebPMuxNew();
  WebPMuxSetImage(mux, &image, 1);
  const Bytes exif =
      options.orientation ? crafted::exifTiff(std::uint16_t(options.orientation)) : Bytes();
  const WebPData exifData{exif.data(), exif.size()};
  if (!exif.empty()) WebPMuxSetChunk(mux, "EXIF", &exifData, 1);
  const WebPData icc{options.iccProfile.data(), options.iccProfile.size()};
  if (!options.iccProfile.empty()) WebPMuxSetChunk(mux, "ICCP", &icc, 1);
  WebPData assembled{};
  WebPMuxAssemble(mux, &assembled);
  Bytes out(assembled.bytes, assembled.bytes + assembled.size);
  WebPDataClear(&assembled);
  WebPMuxDelete(mux);
  WebPFree(encoded);
  return out;
}

namespace {

void mustSucceed(const heif_error& error) {
  if (error.code != heif_error_Ok) throw std::runtime_error(error.message);
}

heif_error appendHeif(heif_context*, const void* data, std::size_t size, void* out) {
  auto& bytes = *static_cast<Bytes*>(out);
  const auto* begin = static_cast<const std::uint8_t*>(data);
  bytes.insert(bytes.end(), begin, begin + size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

heif_image* heifImage(const PixelSurface& pixels, bool black) {
  const int width = pixels.width(), height = pixels.height();
  heif_image* image = nullptr;
  mustSucceed(
      heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image));
  mustSucceed(heif_image_add_plane(image, heif_channel_interleaved, width, height, 8));
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const batchfit::ColorRef c = black ? 0 : pixels.getPixel(x, y);
      std::uint8_t* p = plane + std::size_t(y) * std::size_t(stride) + std::size_t(x) * 3;
      p[0] = redOf(c), p[1] = greenOf(c), p[2] = blueOf(c);
    }
  }
  return image;
}

}  // namespace

Bytes writeHeif(const PixelSurface& pixels, const HeifOptions& options) {
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  mustSucceed(heif_context_get_encoder_for_format(
      context, options.codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1,
      &encoder));
  heif_encoder_set_lossy_quality(encoder, options.quality);
  heif_encoder_set_logging_level(encoder, 0);
  heif_encoding_options* encoding = heif_encoding_options_alloc();
  if (options.orientation != 0) {
    encoding->image_orientation = heif_orientation(options.orientation);
  }
  heif_image_handle* primary = nullptr;
  for (int i = 0; i < options.images; ++i) {
    heif_image* image = heifImage(pixels, i > 0);
    if (!options.iccProfile.empty()) {
      mustSucceed(heif_image_set_raw_color_profile(image, "prof", options.iccProfile.data(),
                                                   options.iccProfile.size()));
    }
    heif_image_handle* handle = nullptr;
    mustSucceed(heif_context_encode_image(context, image, encoder, encoding, &handle));
    heif_image_release(image);
    if (i == 0) {
      primary = handle;
    } else {
      heif_image_handle_release(handle);
    }
  }
  mustSucceed(heif_context_set_primary_image(context, primary));
  heif_image_handle_release(primary);
  heif_encoding_options_free(encoding);
  heif_encoder_release(encoder);
  Bytes out;
  heif_writer writer{1, appendHeif};
  mustSucceed(heif_context_write(context, &writer, &out));
  heif_context_free(context);
  return out;
}

Bytes swappedRedGreenProfile() {
  const cmsCIExyY white{0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries{{0.30, 0.60, 1.0}, {0.64, 0.33, 1.0}, {0.15, 0.06, 1.0}};
  const cmsFloat64Number srgbCurve[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  cmsFreeToneCurve(curve);
  return bytes;
}

Bytes withJpegIccProfile(const Bytes& jpeg, const Bytes& profile) {
  Bytes segment = {0xFF, 0xE2, 0, 0};
  const char signature[] = "ICC_PROFILE";
  segment.insert(segment.end(), signature, signature + 12);
  segment.insert(segment.end(), {1, 1});  // part 1 of 1
  segment.insert(segment.end(), profile.begin(), profile.end());
  segment[2] = std::uint8_t((segment.size() - 2) >> 8);
  segment[3] = std::uint8_t(segment.size() - 2);
  // After SOI and the JFIF segment.
  const std::size_t after = 4 + ((std::size_t(jpeg[4]) << 8) | jpeg[5]);
  Bytes tagged(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(after));
  tagged.insert(tagged.end(), segment.begin(), segment.end());
  tagged.insert(tagged.end(), jpeg.begin() + std::ptrdiff_t(after), jpeg.end());
  return tagged;
}

}  // namespace photofiles
