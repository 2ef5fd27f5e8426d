// A whole picture sampled straight or turned onto a target: what tests and
// fuzzers compare the run's outputs and its row-by-row sampling with.
#pragma once

#include "engine/Scaling.h"

namespace testpics {

inline void resampleStraight(const batchfit::PixelSurface& source, batchfit::PixelSurface& target,
                             batchfit::ScaleFactors steps) {
  batchfit::resample(source, target, {batchfit::Turn::None, steps});
}

inline void resampleTurned(const batchfit::PixelSurface& source, batchfit::PixelSurface& target,
                           batchfit::ScaleFactors steps, batchfit::Turn direction) {
  batchfit::resample(source, target, {direction, steps});
}

}  // namespace testpics
