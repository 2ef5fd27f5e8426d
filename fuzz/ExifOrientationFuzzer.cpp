// Fuzz target: the EXIF Orientation reader on any bytes, and the turn of a
// picture that the tag it finds asks for.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "image/Error.h"
#include "image/ExifOrientation.h"
#include "image/JpegObject.h"

namespace {

using namespace batchfit;

// The tag lies before the first scan: any beginning of the bytes that holds
// a whole header (libjpeg reads one from it) carries the tag of all of them,
// so the size test, which reads a file's beginning, and the run, which reads
// it whole, find the same.
void checkBeginnings(const std::uint8_t* data, std::size_t size, int tag) {
  for (const std::size_t cut : {size / 4, size / 2, size - size / 4}) {
    const std::vector<std::uint8_t> beginning(data, data + cut);
    try {
      const JpegHeader header = readJpegHeader(beginning);
      FUZZ_CHECK(header.orientation == tag);
      FUZZ_CHECK(exifOrientation(beginning.data(), beginning.size()) == tag);
    } catch (const Error&) {
      // No whole header in this beginning.
    }
  }
}

// The tag that undoes a tag's turn or mirroring.
int undoing(int tag) {
  return tag == 6 ? 8 : tag == 8 ? 6 : tag;
}

// A small picture of a size the bytes choose, turned upright and back.
void checkTurn(const std::uint8_t* data, std::size_t size, int tag) {
  const std::int32_t width = size > 0 ? 1 + data[0] % 19 : 1;
  const std::int32_t height = size > 1 ? 1 + data[1] % 23 : 1;
  PixelSurface stored = PixelSurface::create(width, height);
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) stored.setPixel(x, y, ColorRef(y * width + x));
  }
  const PixelSurface upright = uprightSurface(stored, tag);
  FUZZ_CHECK(upright.width() == (swapsSides(tag) ? height : width));
  FUZZ_CHECK(upright.height() == (swapsSides(tag) ? width : height));
  const PixelSurface back = uprightSurface(upright, undoing(tag));
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x)
      FUZZ_CHECK(back.getPixel(x, y) == stored.getPixel(x, y));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int tag = exifOrientation(data, size);
  FUZZ_CHECK(tag >= 1 && tag <= 8);
  checkBeginnings(data, size, tag);
  checkTurn(data, size, tag);
  return 0;
}
