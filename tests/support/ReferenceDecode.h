// The picture as the run's decoder settings give it, decoded by libjpeg
// directly: what tests compare batchfit's own decoding and sampling with.
#pragma once

#include <cstdint>
#include <vector>

#include "image/PixelSurface.h"

namespace testpics {

// Fails the current test (and gives an empty surface) on a libjpeg error.
// At 1 / denominator of the size where one is given.
batchfit::PixelSurface referenceDecode(const std::vector<std::uint8_t>& bytes,
                                       unsigned denominator = 1);

}  // namespace testpics
