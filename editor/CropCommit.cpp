#include "editor/CropCommit.h"

#include "engine/Scaling.h"

namespace batchfit {

namespace {

// The framed part, now at the picture's top-left corner, takes the picture's
// place in the run's sampling. Making the factors throws on a target size of 0.
// Deliberate: turned with the frame, in rotateDirection whatever autoRotate says.
Placement framePlacement(const CropFrame& frame, const JobSettings& settings) {
  if (frame.frameSwapped()) {
    return {settings.rotateDirection, turnedFactors(settings, frame.width(), frame.height())};
  }
  return {Turn::None, straightFactors(settings, frame.width(), frame.height())};
}

}  // namespace

void commitCrop(PixelSurface& picture, const CropFrame& frame, const JobSettings& settings,
                PictureRole& target, bool& editorSkipped) {
  // Deliberate: the outcome and the cut come first, so a commit that fails on
  // its factors leaves editorSkipped false and the picture cut; and a target
  // size of 0 fails while a negative one passes without a visit.
  editorSkipped = false;
  const SurfaceRect source{frame.left(), frame.top(), frame.left() + frame.width(),
                           frame.top() + frame.height()};
  picture.copyRect(SurfaceRect{0, 0, frame.width(), frame.height()}, source);
  const Placement placement = framePlacement(frame, settings);
  // A target without positions is left as it was, and never made.
  if (settings.targetWidth <= 0 || settings.targetHeight <= 0) return;
  // Reads outside the picture (a frame larger than a small picture) come out black.
  resample(picture, target.surface(), placement);
}

}  // namespace batchfit
