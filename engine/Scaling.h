// Scale factors, the aspect-ratio test and nearest-neighbour resampling,
// straight or with a quarter turn.
#pragma once

#include <cstdint>
#include <string>

#include "JobSettings.h"
#include "PixelSurface.h"

namespace batchfit {

// Source columns (stepX) and rows (stepY) per target step.
struct ScaleFactors {
  double stepX = 0;
  double stepY = 0;
};

// Target and picture both strictly landscape or both strictly portrait.
bool sameOrientation(const JobSettings& settings, std::int32_t width, std::int32_t height);

// W / tw and H / th: the target's width along the picture's width.
ScaleFactors straightFactors(const JobSettings& settings, std::int32_t width, std::int32_t height);
// W / th and H / tw: the target turned a quarter turn on the picture.
ScaleFactors turnedFactors(const JobSettings& settings, std::int32_t width, std::int32_t height);

// Whether the picture's ratio W / H lies strictly within aspectTolerance
// percent of the target's ratio (tw / th, or th / tw when turned).
bool aspectMatches(const JobSettings& settings, std::int32_t width, std::int32_t height,
                   bool turned);

// Fills every pixel of target from source by nearest-neighbour sampling.
void resampleStraight(const PixelSurface& source, PixelSurface& target, ScaleFactors steps);
// The same with a quarter turn: clockwise only for exactly "Right",
// counter-clockwise for any other text.
void resampleTurned(const PixelSurface& source, PixelSurface& target, ScaleFactors steps,
                    const std::string& rotateDirection);

}  // namespace batchfit
