#include "tests/support/ReferenceDecode.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace testpics {

using batchfit::makeColor;
using batchfit::PixelSurface;

namespace {

struct JpegFailure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void failDecode(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1);
}

}  // namespace

PixelSurface referenceDecode(const std::vector<std::uint8_t>& bytes, unsigned denominator) {
  jpeg_decompress_struct info;
  JpegFailure failure;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = failDecode;
  if (setjmp(failure.jump)) {
    jpeg_destroy_decompress(&info);
    ADD_FAILURE() << "test decode failed";
    return {};
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), bytes.size());
  jpeg_read_header(&info, TRUE);
  info.scale_num = 1;
  info.scale_denom = denominator;
  info.do_block_smoothing = TRUE;
  info.dct_method = JDCT_FLOAT;
  const bool gray = info.jpeg_color_space == JCS_GRAYSCALE;
  if (gray) {
    info.quantize_colors = TRUE;
    info.desired_number_of_colors = 236;
    info.dither_mode = JDITHER_FS;
  }
  jpeg_start_decompress(&info);
  PixelSurface picture = PixelSurface::create(int(info.output_width), int(info.output_height));
  std::vector<JSAMPLE> row(std::size_t(info.output_width) * info.output_components);
  while (info.output_scanline < info.output_height) {
    const int y = int(info.output_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < int(info.output_width); ++x) {
      if (gray) {
        const unsigned v = info.colormap[0][row[x]];
        picture.setPixel(x, y, makeColor(v, v, v));
      } else {
        picture.setPixel(x, y, makeColor(row[3 * x], row[3 * x + 1], row[3 * x + 2]));
      }
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return picture;
}

}  // namespace testpics
