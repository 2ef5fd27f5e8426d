#include "engine/Scaling.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/Arithmetic.h"

namespace batchfit {

// Deliberate: strict comparisons, so a square target or picture is of
// neither orientation and, with autoRotate on, goes turned.
bool sameOrientation(const JobSettings& settings, std::int32_t width, std::int32_t height) {
  const std::int32_t tw = settings.targetWidth;
  const std::int32_t th = settings.targetHeight;
  return (tw > th && height < width) || (th > tw && width < height);
}

Turn placementTurn(const JobSettings& settings, std::int32_t width, std::int32_t height) {
  if (settings.autoRotate && !sameOrientation(settings, width, height)) {
    return settings.rotateDirection;
  }
  return Turn::None;
}

ScaleFactors straightFactors(const JobSettings& settings, std::int32_t width, std::int32_t height) {
  const double stepX = storedRatio(width, settings.targetWidth);
  return {stepX, storedRatio(height, settings.targetHeight)};
}

ScaleFactors turnedFactors(const JobSettings& settings, std::int32_t width, std::int32_t height) {
  const double stepX = storedRatio(width, settings.targetHeight);
  return {stepX, storedRatio(height, settings.targetWidth)};
}

bool aspectMatches(const JobSettings& settings, std::int32_t width, std::int32_t height,
                   bool turned) {
  // Every step stays in extended precision: on the exact boundary the
  // rounding of the intermediates decides, and it must be this one.
  const long double pictureRatio = exactRatio(width, height);
  const long double targetRatio = turned ? exactRatio(settings.targetHeight, settings.targetWidth)
                                         : exactRatio(settings.targetWidth, settings.targetHeight);
  const long double difference = std::fabs(pictureRatio - targetRatio);
  const long double limit =
      (static_cast<long double>(settings.aspectTolerance) * targetRatio) / 100.0L;
  // Deliberate: strictly below a limit that is a share of the target's ratio,
  // so a tolerance of 0 or below matches nothing, not even the exact ratio.
  return difference < limit;
}

namespace {

// N(i * step) for every i from 0 to count - 1, or for count - 1 - i when
// mirrored: the picture's rows or columns that the target's places sample.
std::vector<std::int64_t> sampleIndices(std::int32_t count, double step, bool mirrored) {
  std::vector<std::int64_t> indices(std::size_t(std::max(count, 0)));
  for (std::int32_t i = 0; i < count; ++i) {
    indices[std::size_t(i)] = roundSample(mirrored ? std::int64_t(count) - 1 - i : i, step);
  }
  return indices;
}

}  // namespace

void resample(const PixelSurface& source, PixelSurface& target, const Placement& placement) {
  RowSampler sampler(target, source.width(), source.height(), placement);
  // A picture without pixels still has rows: every sample of them is outside.
  for (std::int32_t y = 0; y < source.height(); ++y) {
    sampler.takeRow(y, source.empty() ? nullptr : source.row(y));
  }
}

RowSampler::RowSampler(PixelSurface& target, std::int32_t width, std::int32_t height,
                       const Placement& placement)
    : target_(target), turned_(placement.turn != Turn::None), width_(width) {
  const std::int32_t tw = target.width();
  const std::int32_t th = target.height();
  const ScaleFactors steps = placement.steps;
  if (turned_) {
    const bool clockwise = placement.turn == Turn::Right;
    along_ = sampleIndices(th, steps.stepX, !clockwise);
    for (std::int32_t x = 0; x < tw; ++x) {
      lines_.emplace_back(roundSample(clockwise ? std::int64_t(tw) - 1 - x : x, steps.stepY), x);
    }
  } else {
    along_ = sampleIndices(tw, steps.stepX, false);
    const auto rows = sampleIndices(th, steps.stepY, false);
    for (std::int32_t y = 0; y < th; ++y) lines_.emplace_back(rows[std::size_t(y)], y);
  }
  std::stable_sort(lines_.begin(), lines_.end());
  for (const auto& [pictureRow, line] : lines_) {
    if (pictureRow < 0 || pictureRow >= height) fillLine(line, nullptr);
  }
  while (next_ < lines_.size() && lines_[next_].first < 0) ++next_;
}

void RowSampler::takeRow(std::int32_t y, const ColorRef* row) {
  for (; next_ < lines_.size() && lines_[next_].first == y; ++next_) {
    fillLine(lines_[next_].second, row);
  }
}

std::int64_t RowSampler::nextRow() const {
  return next_ < lines_.size() ? lines_[next_].first : std::numeric_limits<std::int64_t>::max();
}

void RowSampler::fillLine(std::int32_t line, const ColorRef* row) {
  for (std::size_t i = 0; i < along_.size(); ++i) {
    const std::int64_t column = along_[i];
    const ColorRef colour =
        (row && column >= 0 && column < width_) ? row[std::size_t(column)] : InvalidColor;
    const std::int32_t place = std::int32_t(i);
    if (turned_) {
      target_.setPixel(line, place, colour);
    } else {
      target_.setPixel(place, line, colour);
    }
  }
}

}  // namespace batchfit
