#include "tests/support/ImageTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/TestPictures.h"
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
  const int components = kind == Samples::TwoComponent ? 2 : 4;
  return testpics::compressJpeg(
      width, height, components, kind == Samples::TwoComponent ? JCS_UNKNOWN : JCS_CMYK,
      [&](jpeg_compress_struct& cinfo) {
        jpeg_set_colorspace(&cinfo, storedSpace(kind));
        cinfo.write_Adobe_marker = kind != Samples::PlainCmyk && kind != Samples::TwoComponent;
        jpeg_set_quality(&cinfo, 100, TRUE);
      },
      [&](int y, std::vector<std::uint8_t>& row) {
        for (int x = 0; x < width; ++x) {
          const auto s = samples(x, y);
          for (int c = 0; c < components; ++c) row[std::size_t(x) * components + c] = s[c];
        }
      });
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
