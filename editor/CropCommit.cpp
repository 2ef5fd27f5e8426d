#include "CropCommit.h"

#include "Arithmetic.h"

namespace batchfit {

namespace {

// Source columns and rows per target step, along the framed part's width and height.
struct Factors {
  double sx;
  double sy;
};

Factors commitFactors(const CropFrame& frame, const JobSettings& settings) {
  if (frame.frameSwapped()) {
    return {storedRatio(frame.width(), settings.targetHeight),
            storedRatio(frame.height(), settings.targetWidth)};
  }
  return {storedRatio(frame.width(), settings.targetWidth),
          storedRatio(frame.height(), settings.targetHeight)};
}

// Reads outside the picture (a frame larger than a small picture) give
// InvalidColor, which the target stores as black.
template <typename SourceOf>
void fill(const PixelSurface& picture, const JobSettings& settings, PictureRole& target,
          SourceOf sourceOf) {
  const std::int32_t tw = settings.targetWidth;
  const std::int32_t th = settings.targetHeight;
  // A target without positions is left as it was, and never made.
  if (tw <= 0 || th <= 0) return;
  PixelSurface& surface = target.surface();
  for (std::int32_t x = 0; x < tw; ++x) {
    for (std::int32_t y = 0; y < th; ++y) {
      const auto [sx, sy] = sourceOf(x, y);
      surface.setPixel(x, y, picture.getPixel(std::int32_t(sx), std::int32_t(sy)));
    }
  }
}

void fillTarget(const PixelSurface& picture, const CropFrame& frame, const JobSettings& settings,
                PictureRole& target) {
  const Factors f = commitFactors(frame, settings);
  const std::int32_t tw = settings.targetWidth;
  const std::int32_t th = settings.targetHeight;
  struct Point {
    std::int64_t x, y;
  };
  if (!frame.frameSwapped()) {
    fill(picture, settings, target, [&](std::int64_t x, std::int64_t y) {
      return Point{roundSample(x, f.sx), roundSample(y, f.sy)};
    });
  } else if (settings.rotateDirection == Turn::Right) {
    // Clockwise: the part's top-left corner lands at the target's top-right.
    fill(picture, settings, target, [&](std::int64_t x, std::int64_t y) {
      return Point{roundSample(y, f.sx), roundSample(tw - 1 - x, f.sy)};
    });
  } else {
    // Counter-clockwise: the part's top-left corner lands at the bottom-left.
    fill(picture, settings, target, [&](std::int64_t x, std::int64_t y) {
      return Point{roundSample(th - 1 - y, f.sx), roundSample(x, f.sy)};
    });
  }
}

}  // namespace

void commitCrop(PixelSurface& picture, const CropFrame& frame, const JobSettings& settings,
                PictureRole& target, bool& editorSkipped) {
  editorSkipped = false;
  const SurfaceRect source{frame.left(), frame.top(), frame.left() + frame.width(),
                           frame.top() + frame.height()};
  picture.copyRect(SurfaceRect{0, 0, frame.width(), frame.height()}, source);
  fillTarget(picture, frame, settings, target);
}

}  // namespace batchfit
