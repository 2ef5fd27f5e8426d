#include "image/Reduction.h"

#include <algorithm>
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

PixelSurface reducedCopy(const PixelSurface& source, std::int32_t width, std::int32_t height) {
  PixelSurface reduced = PixelSurface::createForOverwrite(width, height, PixelSurface());
  const std::vector<std::int32_t> columns = blockStarts(source.width(), width);
  const std::vector<std::int32_t> rows = blockStarts(source.height(), height);
  // Red, green and blue sums of each block of the row of blocks under way.
  std::vector<std::uint64_t> sums(std::size_t(width) * 3);
  for (std::int32_t y = 0; y < height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (std::int32_t sy = rows[std::size_t(y)]; sy < rows[std::size_t(y) + 1]; ++sy) {
      const ColorRef* line = source.row(sy);
      for (std::int32_t x = 0; x < width; ++x) {
        std::uint64_t* sum = &sums[std::size_t(x) * 3];
        for (std::int32_t sx = columns[std::size_t(x)]; sx < columns[std::size_t(x) + 1]; ++sx) {
          const ColorRef c = line[sx];
          sum[0] += redOf(c);
          sum[1] += greenOf(c);
          sum[2] += blueOf(c);
        }
      }
    }
    const std::int64_t high = rows[std::size_t(y) + 1] - rows[std::size_t(y)];
    ColorRef* out = reduced.mutableRow(y);
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint64_t count =
          std::uint64_t(high * (columns[std::size_t(x) + 1] - columns[std::size_t(x)]));
      const std::uint64_t* sum = &sums[std::size_t(x) * 3];
      const auto mean = [count](std::uint64_t s) { return int((s + count / 2) / count); };
      out[x] = makeColor(mean(sum[0]), mean(sum[1]), mean(sum[2]));
    }
  }
  return reduced;
}

}  // namespace batchfit
