#include "ImageTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
// jpeglib.h needs FILE and size_t first.
#include <jpeglib.h>

namespace imagetest {

namespace {

J_COLOR_SPACE storedSpace(Samples kind) {
  switch (kind) {
    case Samples::Ycck:
      return JCS_YCCK;
    case Samples::TwoComponent:
      return JCS_UNKNOWN;
    default:
      return JCS_CMYK;
  }
}

}  // namespace

std::vector<std::uint8_t> makeRawJpeg(int width, int height, Samples kind,
                                      const SampleFn& samples) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  const int components = kind == Samples::TwoComponent ? 2 : 4;
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = components;
  cinfo.in_color_space = kind == Samples::TwoComponent ? JCS_UNKNOWN : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, storedSpace(kind));
  cinfo.write_Adobe_marker = kind != Samples::PlainCmyk && kind != Samples::TwoComponent;
  jpeg_set_quality(&cinfo, 100, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(std::size_t(width) * components);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto s = samples(x, y);
      for (int c = 0; c < components; ++c) row[std::size_t(x) * components + c] = s[c];
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> bytes(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

batchfit::PixelSurface referenceDecode(const std::vector<std::uint8_t>& bytes) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  cinfo.dct_method = JDCT_FLOAT;
  cinfo.do_block_smoothing = TRUE;
  if (gray) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 236;
    cinfo.dither_mode = JDITHER_FS;
  } else {
    cinfo.out_color_space = JCS_RGB;
  }
  jpeg_start_decompress(&cinfo);
  auto surface = batchfit::PixelSurface::create(int(cinfo.output_width), int(cinfo.output_height));
  std::vector<JSAMPLE> row(std::size_t(cinfo.output_width) * cinfo.output_components);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = int(cinfo.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&cinfo, rows, 1);
    for (int x = 0; x < int(cinfo.output_width); ++x) {
      if (gray) {
        const unsigned v = cinfo.colormap[0][row[x]];
        surface.setPixel(x, y, batchfit::makeColor(v, v, v));
      } else {
        surface.setPixel(x, y, batchfit::makeColor(row[3 * x], row[3 * x + 1], row[3 * x + 2]));
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return surface;
}

std::vector<std::uint8_t> withFrameSize(std::vector<std::uint8_t> jpeg, int width, int height) {
  for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
    const bool frame = jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2);
    if (!frame) continue;
    jpeg[i + 5] = std::uint8_t(height >> 8);
    jpeg[i + 6] = std::uint8_t(height);
    jpeg[i + 7] = std::uint8_t(width >> 8);
    jpeg[i + 8] = std::uint8_t(width);
    return jpeg;
  }
  throw std::runtime_error("no frame header");
}

}  // namespace imagetest
