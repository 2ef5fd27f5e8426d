// A picture made smaller for showing it whole: each pixel the average of the
// block of the picture's pixels it stands for.
#pragma once

#include <cstdint>

#include "image/PixelSurface.h"

namespace batchfit {

// source at width x height (each at least 1 and no larger than the
// source's): the blocks are whole source pixels, as even as the sizes allow.
PixelSurface reducedCopy(const PixelSurface& source, std::int32_t width, std::int32_t height);

}  // namespace batchfit
