// A photo's EXIF Orientation tag, read from the JPEG file's APP1 segment, and
// the turn or mirroring of its pixels that the tag asks for.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/PixelSurface.h"

namespace batchfit {

// The Orientation tag (1 to 8) of the EXIF data in JPEG bytes (the file's
// beginning up to its first scan will do): the first APP1 segment that holds
// EXIF data, its first image directory only, either byte order. 1 where the
// bytes hold no such tag, or hold a broken one or one cut short.
int exifOrientation(const std::uint8_t* bytes, std::size_t size);

// Whether a photo of that orientation stands with its width and height
// swapped (5 to 8).
constexpr bool swapsSides(int orientation) {
  return orientation >= 5 && orientation <= 8;
}

// The stored pixels as they stand upright: turned and mirrored as the tag
// says (a copy for 1). Throws outOfResources() where the new surface
// could not be held.
PixelSurface uprightSurface(const PixelSurface& stored, int orientation);

}  // namespace batchfit
