#include "editor/CropFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Arithmetic.h"

namespace batchfit {

namespace {

std::int32_t saturated(std::int64_t v) {
  return std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

PictureSize minimumFrame(const JobSettings& settings, bool swapped) {
  const std::int32_t across = swapped ? settings.targetHeight : settings.targetWidth;
  const std::int32_t down = swapped ? settings.targetWidth : settings.targetHeight;
  return {std::max(across, 1), std::max(down, 1)};
}

// Frame height per frame width.
CropFrame::Sizing CropFrame::sizing(const JobSettings& settings, bool swapped) {
  const double ratio = swapped ? storedRatio(settings.targetWidth, settings.targetHeight)
                               : storedRatio(settings.targetHeight, settings.targetWidth);
  return {ratio, minimumFrame(settings, swapped)};
}

void CropFrame::setWidth(std::int32_t width, PictureSize minimum) {
  width_ = std::max(width, minimum.width);
}

void CropFrame::setHeight(std::int32_t height, PictureSize minimum) {
  height_ = std::max(height, minimum.height);
}

void CropFrame::setTargetSize(const JobSettings& settings, bool swapped) {
  frameSwapped_ = swapped;
  const PictureSize minimum = minimumFrame(settings, swapped);
  setHeight(swapped ? settings.targetWidth : settings.targetHeight, minimum);
  setWidth(swapped ? settings.targetHeight : settings.targetWidth, minimum);
}

void CropFrame::placeHandle() {
  handleLeft_ = saturated(std::int64_t(left_) + width_ - HandleSize);
  handleTop_ = saturated(std::int64_t(top_) + height_ - HandleSize);
}

void CropFrame::placeAtShow(PictureSize picture, const JobSettings& settings) {
  left_ = 0;
  top_ = 0;
  // Deliberate: only the picture's height decides; its width is not looked at.
  setTargetSize(settings, !(picture.height > settings.targetHeight));
  placeHandle();
}

void CropFrame::placeRemembered(const FramedPart& part) {
  left_ = part.frame.left;
  top_ = part.frame.top;
  // The run hands over only frames at least the target's size, so the
  // minimum holds without a clamp.
  width_ = part.frame.width();
  height_ = part.frame.height();
  frameSwapped_ = part.turned;
  placeHandle();
}

void CropFrame::framePress(std::int32_t x, std::int32_t y) {
  pressX_ = x;
  pressY_ = y;
}

void CropFrame::frameMove(const PointerEvent& event, PictureSize picture) {
  // Deliberate: only well inside the outline, and the cursor never goes back
  // to the arrow.
  if (3 < event.x && event.x < width_ - 3 && 3 < event.y && event.y < height_ - 3) {
    frameCursor_ = CursorKind::Move;
  }
  if (event.leftHeld) {
    // Keeps the point where the frame was pressed under the pointer.
    left_ = saturated(std::int64_t(left_) + event.x - pressX_);
    top_ = saturated(std::int64_t(top_) + event.y - pressY_);
  }
  // Deliberate: with or without a button held.
  clampInto(picture);
  placeHandle();
}

// In this order, so a frame larger than the picture sticks out at the left
// and at the top.
void CropFrame::clampInto(PictureSize picture) {
  if (top_ < 0) top_ = 0;
  if (left_ < 0) left_ = 0;
  if (std::int64_t(top_) + height_ > picture.height)
    top_ = saturated(std::int64_t(picture.height) - height_);
  if (std::int64_t(left_) + width_ > picture.width)
    left_ = saturated(std::int64_t(picture.width) - width_);
}

void CropFrame::handlePress() {
  resizeBaseWidth_ = width_;
}

void CropFrame::handleMove(const PointerEvent& event, PictureSize picture,
                           const JobSettings& settings) {
  handleCursor_ = CursorKind::SizeDiagonal;
  const Sizing s = sizing(settings, frameSwapped_);
  // The pointer's distance from the frame's left edge, during a drag that
  // began on the handle.
  if (event.leftHeld) resizeTo(std::int64_t(event.x) + resizeBaseWidth_ - HandleSize, picture, s);
  shrinkToFit(picture, s);
  placeHandle();
}

void CropFrame::resizeBy(std::int32_t dw, PictureSize picture, const JobSettings& settings) {
  const Sizing s = sizing(settings, frameSwapped_);
  resizeBaseWidth_ = width_;
  resizeTo(std::int64_t(width_) + dw, picture, s);
  shrinkToFit(picture, s);
  placeHandle();
}

// Deliberate: only the new height is tested, and a height equal to the
// picture's is refused; the shrink that follows makes the frame fit.
void CropFrame::resizeTo(std::int64_t width, PictureSize picture, const Sizing& sizing) {
  if (roundSample(width, sizing.ratio) < picture.height) sizeTo(width, sizing);
}

// The height follows the width as stored, after the minimum.
void CropFrame::sizeTo(std::int64_t width, const Sizing& sizing) {
  setWidth(saturated(width), sizing.minimum);
  setHeight(saturated(roundSample(width_, sizing.ratio)), sizing.minimum);
  resizeBaseWidth_ = width_;
}

// One pixel of width at a time. A frame that does not fit even at the minimum
// width (a picture lower than the minimum height) stays as it then stands.
void CropFrame::shrinkToFit(PictureSize picture, const Sizing& sizing) {
  while (!fits(picture)) {
    const std::int32_t before = width_;
    sizeTo(std::int64_t(width_) - 1, sizing);
    if (width_ == before) break;
  }
}

bool CropFrame::fits(PictureSize picture) const {
  return std::int64_t(top_) + height_ <= picture.height &&
         std::int64_t(left_) + width_ <= picture.width;
}

void CropFrame::moveBy(std::int32_t dx, std::int32_t dy, PictureSize picture) {
  left_ = saturated(std::int64_t(left_) + dx);
  top_ = saturated(std::int64_t(top_) + dy);
  clampInto(picture);
  placeHandle();
}

void CropFrame::rotate(PictureSize picture, const JobSettings& settings) {
  left_ = 0;
  top_ = 0;
  // Deliberate: a size the user gave the frame is lost, and on a picture no
  // higher than the target the frame only moves to the corner, unturned. So
  // it does on a picture that cannot hold the smallest frame turned.
  const PictureSize turned = minimumFrame(settings, !frameSwapped_);
  if (picture.height > settings.targetHeight && turned.width <= picture.width &&
      turned.height <= picture.height) {
    setTargetSize(settings, !frameSwapped_);
  }
  placeHandle();
}

namespace {

// The widest frame of that ratio a handle drag could make on the picture: no
// wider than the picture, and lower than it, as the drag refuses a frame as
// high as the picture.
std::int64_t widestFor(PictureSize picture, double ratio) {
  std::int64_t width = picture.width;
  if (ratio > 0) {
    width = std::min(width, std::int64_t(std::ceil(picture.height / ratio)) + 1);
  }
  while (width > 0 && roundSample(width, ratio) >= picture.height) --width;
  return width;
}

std::int64_t partOf(double share, std::int32_t size) {
  // Within what the rounding can hold, for shares of a frame far outside.
  return std::llround(std::clamp(share * size, -4e18, 4e18));
}

double fraction(std::int32_t part, std::int32_t size) {
  return size > 0 ? double(part) / size : 0.0;
}

}  // namespace

void CropFrame::largest(PictureSize picture, const JobSettings& settings) {
  const Sizing s = sizing(settings, frameSwapped_);
  sizeTo(widestFor(picture, s.ratio), s);
  left_ = saturated((std::int64_t(picture.width) - width_) / 2);
  top_ = saturated((std::int64_t(picture.height) - height_) / 2);
  clampInto(picture);
  placeHandle();
}

void CropFrame::likeLast(const FrameShare& share, PictureSize picture,
                         const JobSettings& settings) {
  const Sizing s = sizing(settings, share.swapped);
  std::int64_t width = std::min(widestFor(picture, s.ratio), partOf(share.width, picture.width));
  // No higher a share of this picture than the last frame had of its own.
  if (s.ratio > 0) width = std::min(width, partOf(share.height / s.ratio, picture.height));
  frameSwapped_ = share.swapped;
  sizeTo(width, s);
  left_ = saturated(partOf(share.left, picture.width));
  top_ = saturated(partOf(share.top, picture.height));
  clampInto(picture);
  placeHandle();
}

FrameShare CropFrame::shareOf(PictureSize picture) const {
  return {fraction(left_, picture.width), fraction(top_, picture.height),
          fraction(width_, picture.width), fraction(height_, picture.height), frameSwapped_};
}

}  // namespace batchfit
