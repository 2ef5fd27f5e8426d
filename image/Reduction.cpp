#include "image/Reduction.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace batchfit {

namespace {

// Where each of count blocks along a length starts; the last entry is length.
std::vector<std::int32_t> blockStarts(std::int32_t length, std::int32_t count) {
  std::vector<std::int32_t> starts(std::size_t(count) + 1);
  for (std::int32_t i = 0; i <= count; ++i) {
    starts[std::size_t(i)] = std::int32_t(std::int64_t(i) * length / count);
  }
  return starts;
}

}  // namespace

// Each row of blocks in two passes: the source rows it covers summed column
// by column, then each block's columns. The first pass is most of the work
// and runs straight along the rows, which keeps a 24-megapixel photo's
// reduction for the crop editor well below its decode. Integer sums are
// exact in any order, so the means are those of each block's pixels.
PixelSurface reducedCopy(const PixelSurface& source, std::int32_t width, std::int32_t height) {
  PixelSurface reduced = PixelSurface::createForOverwrite(width, height, PixelSurface());
  const std::vector<std::int32_t> columns = blockStarts(source.width(), width);
  const std::vector<std::int32_t> rows = blockStarts(source.height(), height);
  const std::size_t sourceWidth = std::size_t(source.width());
  // Red, green and blue sums of each source column over the block's rows: a
  // JPEG's 65535 rows of 255 stay within 32 bits.
  std::vector<std::uint32_t> reds(sourceWidth), greens(sourceWidth), blues(sourceWidth);
  for (std::int32_t y = 0; y < height; ++y) {
    std::fill(reds.begin(), reds.end(), 0);
    std::fill(greens.begin(), greens.end(), 0);
    std::fill(blues.begin(), blues.end(), 0);
    for (std::int32_t sy = rows[std::size_t(y)]; sy < rows[std::size_t(y) + 1]; ++sy) {
      const ColorRef* line = source.row(sy);
      for (std::size_t sx = 0; sx < sourceWidth; ++sx) {
        reds[sx] += redOf(line[sx]);
        greens[sx] += greenOf(line[sx]);
        blues[sx] += blueOf(line[sx]);
      }
    }
    const std::int64_t high = rows[std::size_t(y) + 1] - rows[std::size_t(y)];
    ColorRef* out = reduced.mutableRow(y);
    for (std::int32_t x = 0; x < width; ++x) {
      const std::int32_t first = columns[std::size_t(x)];
      const std::int32_t last = columns[std::size_t(x) + 1];
      const std::uint64_t count = std::uint64_t(high * (last - first));
      const auto mean = [&](const std::vector<std::uint32_t>& sums) {
        const std::uint64_t sum =
            std::accumulate(sums.begin() + first, sums.begin() + last, std::uint64_t(0));
        return int((sum + count / 2) / count);
      };
      out[x] = makeColor(mean(reds), mean(greens), mean(blues));
    }
  }
  return reduced;
}

}  // namespace batchfit
