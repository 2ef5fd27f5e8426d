#include "image/Reduction.h"

#include <algorithm>
#include <numeric>
#include <thread>
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

// The mean colour of each block of one row of them, from the sums of each
// source column over the block's rows.
void writeMeans(const std::vector<std::uint32_t>* sums, const std::vector<std::int32_t>& columns,
                std::int64_t high, ColorRef* out) {
  for (std::size_t x = 0; x + 1 < columns.size(); ++x) {
    const std::int32_t first = columns[x];
    const std::int32_t last = columns[x + 1];
    const std::uint64_t count = std::uint64_t(high * (last - first));
    const auto mean = [&](const std::vector<std::uint32_t>& channel) {
      const std::uint64_t sum =
          std::accumulate(channel.begin() + first, channel.begin() + last, std::uint64_t(0));
      return int((sum + count / 2) / count);
    };
    out[x] = makeColor(mean(sums[0]), mean(sums[1]), mean(sums[2]));
  }
}

// Rows [from, to) of blocks, each in two passes: the source rows it covers
// summed column by column, then each block's columns. The first pass is most
// of the work and runs straight along the rows. Integer sums are exact in
// any order, so the means are those of each block's pixels.
void reduceRows(const PixelSurface& source, const std::vector<std::int32_t>& columns,
                const std::vector<std::int32_t>& rows, std::int32_t from, std::int32_t to,
                ColorRef* reduced) {
  const std::size_t sourceWidth = std::size_t(source.width());
  // Red, green and blue sums of each source column over the block's rows: a
  // JPEG's 65535 rows of 255 stay within 32 bits.
  std::vector<std::uint32_t> sums[3] = {std::vector<std::uint32_t>(sourceWidth),
                                        std::vector<std::uint32_t>(sourceWidth),
                                        std::vector<std::uint32_t>(sourceWidth)};
  for (std::int32_t y = from; y < to; ++y) {
    for (auto& channel : sums) std::fill(channel.begin(), channel.end(), 0);
    for (std::int32_t sy = rows[std::size_t(y)]; sy < rows[std::size_t(y) + 1]; ++sy) {
      const ColorRef* line = source.row(sy);
      for (std::size_t sx = 0; sx < sourceWidth; ++sx) {
        sums[0][sx] += redOf(line[sx]);
        sums[1][sx] += greenOf(line[sx]);
        sums[2][sx] += blueOf(line[sx]);
      }
    }
    const std::size_t width = columns.size() - 1;
    writeMeans(sums, columns, rows[std::size_t(y) + 1] - rows[std::size_t(y)],
               reduced + std::size_t(y) * width);
  }
}

}  // namespace

// A photo's lower half is reduced on a thread of its own: the crop editor
// waits for this reduction before a photo shows.
PixelSurface reducedCopy(const PixelSurface& source, std::int32_t width, std::int32_t height) {
  PixelSurface reduced = PixelSurface::createForOverwrite(width, height, PixelSurface());
  const std::vector<std::int32_t> columns = blockStarts(source.width(), width);
  const std::vector<std::int32_t> rows = blockStarts(source.height(), height);
  ColorRef* pixels = reduced.mutableRow(0);
  constexpr std::int64_t Worthwhile = 4 << 20;  // source pixels
  if (std::int64_t(source.width()) * source.height() < Worthwhile) {
    reduceRows(source, columns, rows, 0, height, pixels);
    return reduced;
  }
  std::jthread lower([&] { reduceRows(source, columns, rows, height / 2, height, pixels); });
  reduceRows(source, columns, rows, 0, height / 2, pixels);
  lower.join();
  return reduced;
}

}  // namespace batchfit
