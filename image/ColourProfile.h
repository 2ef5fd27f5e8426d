// Turning a photo's pixels into sRGB from the ICC profile it embeds
// (LittleCMS), and finding the profile a JPEG carries in its APP2 segments.
#pragma once

#include <cstdint>
#include <vector>

#include "image/PixelSurface.h"

namespace batchfit {

// Converts every pixel from the RGB profile's colours to sRGB's. Pixels
// stay as they are where the profile is empty, broken, or no RGB profile.
void convertToSrgb(PixelSurface& surface, const std::vector<std::uint8_t>& profile);

// The ICC profile of JPEG bytes: the "ICC_PROFILE" APP2 segments before the
// first scan, joined in their sequence order. Empty where there is none or
// where a part is missing or repeated.
std::vector<std::uint8_t> jpegIccProfile(const std::vector<std::uint8_t>& jpeg);

}  // namespace batchfit
