#include "engine/CropCommit.h"

#include <algorithm>
#include <vector>

#include "engine/AntiAlias.h"
#include "engine/Scaling.h"
#include "engine/SmoothScaling.h"

namespace batchfit {

namespace {

// The framed part, now at the picture's top-left corner, takes the picture's
// place in the run's sampling. Making the factors throws on a target size of 0.
// Deliberate: turned with the frame, in rotateDirection whatever autoRotate says.
Placement framePlacement(const FramedPart& part, const JobSettings& settings) {
  const SurfaceRect& frame = part.frame;
  if (part.turned) {
    return {settings.rotateDirection, turnedFactors(settings, frame.width(), frame.height())};
  }
  return {Turn::None, straightFactors(settings, frame.width(), frame.height())};
}

// Row y of picture as the cut of part to the top-left corner leaves it: the
// part's row where the cut lands (black where the part lies outside the
// picture), the picture's own pixels beside it. Since the factors are the
// part's size over the target's, no sample lies right of the part's width,
// so the row is made only that far.
void cutRow(const PixelSurface& picture, const SurfaceRect& part, std::int32_t y,
            std::vector<ColorRef>& row) {
  const std::int64_t width = picture.width();
  const std::int64_t cutWidth = std::clamp<std::int64_t>(part.width(), 0, width);
  std::fill(row.begin(), row.begin() + cutWidth, 0);
  const std::int64_t sourceY = std::int64_t(part.top) + y;
  if (sourceY >= 0 && sourceY < picture.height()) {
    const std::int64_t from = std::clamp<std::int64_t>(-std::int64_t(part.left), 0, cutWidth);
    const std::int64_t to = std::clamp<std::int64_t>(width - part.left, 0, cutWidth);
    const ColorRef* source = picture.row(std::int32_t(sourceY));
    if (from < to)
      std::copy(source + part.left + from, source + part.left + to, row.begin() + from);
  }
  const std::int64_t used = std::min(cutWidth + 1, width);
  const ColorRef* own = picture.row(y);
  std::copy(own + cutWidth, own + used, row.begin() + cutWidth);
}

// The commit's sampling: picture into target as placed, as it reads once
// part has been cut to its top-left corner, without making the cut: only the
// rows the sampling reads are put together.
void sampleFramedPart(const PixelSurface& picture, const SurfaceRect& part,
                      const Placement& placement, PixelSurface& target) {
  RowSampler sampler(target, picture.width(), picture.height(), placement);
  const std::int64_t cutHeight = std::clamp<std::int64_t>(part.height(), 0, picture.height());
  std::vector<ColorRef> row(std::size_t(std::max(picture.width(), 0)));
  for (std::int64_t y; (y = sampler.nextRow()) < picture.height();) {
    const std::int32_t at = std::int32_t(y);
    // A picture without pixels still has rows: every sample of them is outside.
    if (picture.empty()) {
      sampler.takeRow(at, nullptr);
    } else if (y < cutHeight) {
      cutRow(picture, part, at, row);
      sampler.takeRow(at, row.data());
    } else {
      sampler.takeRow(at, picture.row(at));
    }
  }
}

}  // namespace

void proveCommit(PixelSurface& picture, const FramedPart& part, const JobSettings& settings) {
  try {
    framePlacement(part, settings);
  } catch (...) {
    // Deliberate: a commit that fails leaves the picture cut, the framed
    // part at its top-left corner; and a target size of 0 fails while a
    // negative one passes.
    const SurfaceRect& frame = part.frame;
    picture.copyRect({0, 0, frame.width(), frame.height()}, frame);
    throw;
  }
}

void commitCrop(const PixelSurface& picture, const FramedPart& part, const JobSettings& settings,
                PictureRole& target) {
  const Placement placement = framePlacement(part, settings);
  // A target without positions is left as it was, and never made.
  if (settings.targetWidth <= 0 || settings.targetHeight <= 0) return;
  // Smoothing reduces the framed part from the full-size picture.
  if (settings.smoothScaling) {
    smoothResamplePart(picture, part.frame, placement, target.surface());
  } else {
    sampleFramedPart(picture, part.frame, placement, target.surface());
  }
}

PixelSurface previewCrop(const PixelSurface& picture, const FramedPart& part,
                         const JobSettings& settings) {
  PictureRole target;
  target.prepare(settings.targetWidth, settings.targetHeight);
  commitCrop(picture, part, settings, target);
  // The run softens what the editor made before it writes it.
  antiAliasPass(settings.antiAlias, target);
  return target.surface();
}

}  // namespace batchfit
