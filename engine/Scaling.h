// Scale factors, the aspect-ratio test and nearest-neighbour resampling,
// straight or with a quarter turn.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/JobSettings.h"
#include "image/PixelSurface.h"

namespace batchfit {

// Source columns (stepX) and rows (stepY) per target step.
struct ScaleFactors {
  double stepX = 0;
  double stepY = 0;
};

// Target and picture both strictly landscape or both strictly portrait.
bool sameOrientation(const JobSettings& settings, std::int32_t width, std::int32_t height);

// How a width x height picture is placed on the target, for the size test,
// the factors and the sampling alike: with autoRotate on, turned in
// rotateDirection whenever target and picture are not of the same orientation
// (square ones never are); otherwise straight (None).
Turn placementTurn(const JobSettings& settings, std::int32_t width, std::int32_t height);

// W / tw and H / th: the target's width along the picture's width.
ScaleFactors straightFactors(const JobSettings& settings, std::int32_t width, std::int32_t height);
// W / th and H / tw: the target turned a quarter turn on the picture.
ScaleFactors turnedFactors(const JobSettings& settings, std::int32_t width, std::int32_t height);

// Whether the picture's ratio W / H lies strictly within aspectTolerance
// percent of the target's ratio (tw / th, or th / tw when turned).
bool aspectMatches(const JobSettings& settings, std::int32_t width, std::int32_t height,
                   bool turned);

// Where a picture goes on the target: straight or turned a quarter turn, and
// the factors.
struct Placement {
  Turn turn = Turn::None;
  ScaleFactors steps;
};

// Fills every pixel of target from source by nearest-neighbour sampling, as
// placed. Samples outside the source are black.
void resample(const PixelSurface& source, PixelSurface& target, const Placement& placement);

// Nearest-neighbour sampling fed the picture one row at a time, top down,
// so that a picture need never be held whole; resample feeds it every row of
// a whole one. A null row reads as outside the picture.
class RowSampler {
 public:
  // Sets every pixel of target that no row of a width x height picture
  // feeds (a sample outside the picture) to black, as a read outside does.
  RowSampler(PixelSurface& target, std::int32_t width, std::int32_t height,
             const Placement& placement);
  // Row y of the picture, width pixels; rows come in order, each at most
  // once. A row before nextRow() fills nothing and may be left out.
  void takeRow(std::int32_t y, const ColorRef* row);
  // The next row that fills a line of the target; the picture's height or
  // more once every line is filled.
  std::int64_t nextRow() const;

 private:
  void fillLine(std::int32_t line, const ColorRef* row);

  PixelSurface& target_;
  bool turned_;
  std::int32_t width_;
  // The picture's column for each place along a target line: a target row,
  // or a target column when turned.
  std::vector<std::int64_t> along_;
  // (picture row, target line) for every line, by picture row.
  std::vector<std::pair<std::int64_t, std::int32_t>> lines_;
  std::size_t next_ = 0;
};

}  // namespace batchfit
