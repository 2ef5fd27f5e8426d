#include "engine/AntiAlias.h"

namespace batchfit {

namespace {

ColorRef meanOf(ColorRef left, ColorRef right) {
  return makeColor((redOf(left) + redOf(right)) >> 1, (greenOf(left) + greenOf(right)) >> 1,
                   (blueOf(left) + blueOf(right)) >> 1);
}

}  // namespace

void antiAliasPass(bool antiAlias, PictureRole& TI) {
  // A target without pixels has nothing to soften; asking the role for its
  // surface would only try to make one of an impossible size.
  if (!antiAlias || TI.width() <= 0 || TI.height() <= 0) return;
  PixelSurface& surface = TI.surface();
  // Deliberate: a pixel becomes the mean of its left neighbour, already
  // softened, and its right one, not yet; its own colour does not count, and
  // a neighbour outside reads as white. So columns go strictly left to right.
  // The row just below the surface would read two outside neighbours and
  // write nothing, so it is not visited.
  for (std::int32_t i = 0; i < surface.width(); ++i) {
    for (std::int32_t j = 0; j < surface.height(); ++j) {
      surface.setPixel(i, j, meanOf(surface.getPixel(i - 1, j), surface.getPixel(i + 1, j)));
    }
  }
}

}  // namespace batchfit
