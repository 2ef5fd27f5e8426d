#include "engine/SmoothScaling.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "image/JpegObject.h"

namespace batchfit {

namespace {

constexpr double LanczosRadius = 3;
constexpr std::int32_t WeightOne = 1 << AxisTaps::WeightBits;

double lanczos3(double x) {
  x = std::fabs(x);
  if (x >= LanczosRadius) return 0;
  if (x < 1e-12) return 1;
  const double px = std::numbers::pi * x;
  return LanczosRadius * std::sin(px) * std::sin(px / LanczosRadius) / (px * px);
}

// Weights of samples [low, high] for a place centred on centre, the filter
// widened by widen, in fixed point summing to exactly WeightOne: the
// rounding's remainder goes to the heaviest weight.
std::vector<std::int32_t> placeWeights(std::int64_t low, std::int64_t high, double centre,
                                       double widen) {
  std::vector<double> exact;
  double sum = 0;
  for (std::int64_t k = low; k <= high; ++k) {
    exact.push_back(lanczos3((double(k) - centre) / widen));
    sum += exact.back();
  }
  std::vector<std::int32_t> weights;
  std::int32_t total = 0;
  for (const double w : exact) {
    weights.push_back(std::int32_t(std::lround(w / sum * WeightOne)));
    total += weights.back();
  }
  if (!weights.empty()) *std::max_element(weights.begin(), weights.end()) += WeightOne - total;
  return weights;
}

}  // namespace

AxisTaps::AxisTaps(std::int32_t count, std::int32_t size, double step) {
  const double widen = std::max(step, 1.0);
  // Where the places span the samples exactly, the second half is the mirror
  // image of the first, so that a picture turned either way sums the same.
  const bool mirrored = std::fabs(double(count) * step - size) <= 1e-9 * size;
  for (std::int32_t i = 0; i < std::max(count, 0); ++i) {
    const bool reflect = mirrored && 2 * std::int64_t(i) > std::int64_t(count) - 1;
    const std::int32_t place = reflect ? count - 1 - i : i;
    const double centre = (place + 0.5) * step - 0.5;
    const std::int64_t low =
        std::max<std::int64_t>(0, std::int64_t(std::ceil(centre - LanczosRadius * widen)));
    const std::int64_t high = std::min<std::int64_t>(
        std::int64_t(size) - 1, std::int64_t(std::floor(centre + LanczosRadius * widen)));
    std::vector<std::int32_t> w = placeWeights(low, high, centre, widen);
    if (reflect) std::reverse(w.begin(), w.end());
    first.push_back(std::int32_t(reflect ? size - 1 - high : low));
    start.push_back(std::uint32_t(weights.size()));
    weights.insert(weights.end(), w.begin(), w.end());
  }
  start.push_back(std::uint32_t(weights.size()));
}

SmoothSampler::SmoothSampler(PixelSurface& target, std::int32_t width, std::int32_t height,
                             const Placement& placement)
    : target_(target),
      turn_(placement.turn),
      height_(height),
      along_(turn_ == Turn::None ? target.width() : target.height(), width, placement.steps.stepX),
      lines_(turn_ == Turn::None ? target.height() : target.width(), height, placement.steps.stepY),
      rowStart_(std::size_t(std::max(height, 0)) + 1) {
  const std::size_t lineCount = lines_.first.size();
  for (std::size_t line = 0; line < lineCount; ++line) {
    for (std::uint32_t k = lines_.start[line]; k < lines_.start[line + 1]; ++k) {
      ++rowStart_[std::size_t(lines_.first[line]) + (k - lines_.start[line]) + 1];
    }
  }
  for (std::size_t y = 1; y < rowStart_.size(); ++y) rowStart_[y] += rowStart_[y - 1];
  rowUses_.resize(rowStart_.back());
  std::vector<std::uint32_t> fill(rowStart_.begin(), rowStart_.end() - 1);
  for (std::size_t line = 0; line < lineCount; ++line) {
    for (std::uint32_t k = lines_.start[line]; k < lines_.start[line + 1]; ++k) {
      const std::size_t y = std::size_t(lines_.first[line]) + (k - lines_.start[line]);
      rowUses_[fill[y]++] = {std::int32_t(line), lines_.weights[k]};
    }
  }
  filtered_.resize(along_.first.size() * 3);
  sums_.resize(lineCount * along_.first.size() * 3);
}

std::uint64_t SmoothSampler::workingBytes(std::int32_t targetWidth, std::int32_t targetHeight) {
  const std::uint64_t places = std::uint64_t(std::max(targetWidth, 0)) * std::max(targetHeight, 0);
  return places * 3 * sizeof(std::int64_t);
}

void SmoothSampler::takeRow(std::int32_t y, const ColorRef* row) {
  // Black weighs nothing in any sum.
  if (!row || y < 0 || y >= height_) return;
  const std::size_t places = along_.first.size();
  for (std::size_t j = 0; j < places; ++j) {
    std::int32_t r = 0, g = 0, b = 0;
    const ColorRef* pixel = row + along_.first[j];
    for (std::uint32_t k = along_.start[j]; k < along_.start[j + 1]; ++k, ++pixel) {
      const std::int32_t w = along_.weights[k];
      r += w * redOf(*pixel);
      g += w * greenOf(*pixel);
      b += w * blueOf(*pixel);
    }
    filtered_[3 * j] = r;
    filtered_[3 * j + 1] = g;
    filtered_[3 * j + 2] = b;
  }
  for (std::uint32_t u = rowStart_[std::size_t(y)]; u < rowStart_[std::size_t(y) + 1]; ++u) {
    const auto [line, weight] = rowUses_[u];
    std::int64_t* sums = sums_.data() + std::size_t(line) * places * 3;
    for (std::size_t c = 0; c < places * 3; ++c) sums[c] += std::int64_t(weight) * filtered_[c];
  }
}

void SmoothSampler::finish() {
  const std::size_t places = along_.first.size();
  const std::int32_t tw = target_.width();
  const std::int32_t th = target_.height();
  constexpr int Shift = 2 * AxisTaps::WeightBits;
  const auto channel = [](std::int64_t sum) {
    return unsigned(
        std::clamp<std::int64_t>((sum + (std::int64_t(1) << (Shift - 1))) >> Shift, 0, 255));
  };
  for (std::size_t line = 0; line < lines_.first.size(); ++line) {
    const std::int64_t* sums = sums_.data() + line * places * 3;
    for (std::size_t j = 0; j < places; ++j, sums += 3) {
      const ColorRef colour = makeColor(channel(sums[0]), channel(sums[1]), channel(sums[2]));
      // As the nearest-neighbour sampling places its lines: clockwise the
      // picture's top row goes down the target's right column, counter-
      // clockwise its left end to the target's bottom-left corner.
      const std::int32_t a = std::int32_t(j);
      const std::int32_t l = std::int32_t(line);
      switch (turn_) {
        case Turn::None:
          target_.mutableRow(l)[a] = colour;
          break;
        case Turn::Right:
          target_.mutableRow(a)[tw - 1 - l] = colour;
          break;
        case Turn::Left:
          target_.mutableRow(th - 1 - a)[l] = colour;
          break;
      }
    }
  }
}

void smoothResample(const PixelSurface& source, PixelSurface& target, const Placement& placement) {
  smoothResamplePart(source, {0, 0, source.width(), source.height()}, placement, target);
}

void smoothResamplePart(const PixelSurface& picture, const SurfaceRect& part,
                        const Placement& placement, PixelSurface& target) {
  SmoothSampler sampler(target, part.width(), part.height(), placement);
  std::vector<ColorRef> row(std::size_t(std::max(part.width(), 0)));
  for (std::int32_t y = 0; y < part.height(); ++y) {
    const std::int64_t sourceY = std::int64_t(part.top) + y;
    if (picture.empty() || sourceY < 0 || sourceY >= picture.height()) continue;
    const ColorRef* source = picture.row(std::int32_t(sourceY));
    // A row that lies wholly in the picture is read where it is.
    if (part.left >= 0 && std::int64_t(part.left) + part.width() <= picture.width()) {
      sampler.takeRow(y, source + part.left);
      continue;
    }
    for (std::int32_t x = 0; x < part.width(); ++x) {
      const std::int64_t sourceX = std::int64_t(part.left) + x;
      row[std::size_t(x)] = sourceX >= 0 && sourceX < picture.width() ? source[sourceX] : 0;
    }
    sampler.takeRow(y, row.data());
  }
  sampler.finish();
}

int smoothDecodeDenominator(std::int32_t width, std::int32_t height, std::int32_t outWidth,
                            std::int32_t outHeight) {
  for (const int denominator : {8, 4, 2}) {
    if (scaledJpegSize(width, denominator) >= 2 * std::int64_t(outWidth) &&
        scaledJpegSize(height, denominator) >= 2 * std::int64_t(outHeight)) {
      return denominator;
    }
  }
  return 1;
}

}  // namespace batchfit
