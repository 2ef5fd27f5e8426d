// Smooth scaling, the opt-in to nearest-neighbour sampling: each target pixel
// is made from every picture pixel under it, weighted by a Lanczos-3 filter,
// straight or with a quarter turn, from a picture fed one row at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/Scaling.h"
#include "image/PixelSurface.h"

namespace batchfit {

// The Lanczos-3 taps of every output place along one axis: count places over
// size samples, place i centred on sample (i + 0.5) * step - 0.5, each set
// of weights in fixed point summing to exactly 1 << WeightBits.
struct AxisTaps {
  static constexpr int WeightBits = 14;
  AxisTaps(std::int32_t count, std::int32_t size, double step);
  std::vector<std::int32_t> first;   // the first sample of each place
  std::vector<std::uint32_t> start;  // its weights in weights[start[i], start[i + 1])
  std::vector<std::int32_t> weights;
};

// Reduces a picture fed row by row onto target, placed as the nearest-
// neighbour sampling places it (the steps counted in the fed picture's
// pixels), without ever holding the picture whole.
class SmoothSampler {
 public:
  SmoothSampler(PixelSurface& target, std::int32_t width, std::int32_t height,
                const Placement& placement);
  // Row y of the picture, width pixels; each row at most once, in any order.
  // A row never taken, or a null one, counts as black.
  void takeRow(std::int32_t y, const ColorRef* row);
  // Writes every pixel of the target from the rows taken.
  void finish();
  // What a sampler for a target of this size holds besides the rows fed.
  static std::uint64_t workingBytes(std::int32_t targetWidth, std::int32_t targetHeight);

 private:
  PixelSurface& target_;
  Turn turn_;
  std::int32_t height_;
  AxisTaps along_;  // across a picture row
  AxisTaps lines_;  // down the picture's rows
  // For each picture row, the lines it weighs in: (line, weight) from
  // rowUses_[rowStart_[y]] to rowUses_[rowStart_[y + 1]].
  std::vector<std::uint32_t> rowStart_;
  std::vector<std::pair<std::int32_t, std::int32_t>> rowUses_;
  std::vector<std::int32_t> filtered_;  // the current row across, three channels
  std::vector<std::int64_t> sums_;      // every line's sums, three channels a place
};

// The whole picture reduced onto target as placed.
void smoothResample(const PixelSurface& source, PixelSurface& target, const Placement& placement);

// The part of picture reduced onto target as placed, as if cut out: black
// where the part lies outside the picture.
void smoothResamplePart(const PixelSurface& picture, const SurfaceRect& part,
                        const Placement& placement, PixelSurface& target);

// The libjpeg scale, as its denominator (8, 4, 2 or 1), at which a photo of
// width x height is decoded for an output of outWidth x outHeight along the
// photo's own width and height: the smallest scale that leaves the photo at
// least twice the output's size both ways, else the full size.
int smoothDecodeDenominator(std::int32_t width, std::int32_t height, std::int32_t outWidth,
                            std::int32_t outHeight);

}  // namespace batchfit
