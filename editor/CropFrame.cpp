#include "editor/CropFrame.h"

#include <algorithm>
#include <limits>

#include "engine/Arithmetic.h"

namespace batchfit {

namespace {

std::int32_t saturated(std::int64_t v) {
  return std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void CropFrame::setWidth(std::int32_t width) {
  width_ = std::max(width, MinFrameWidth);
}

void CropFrame::setHeight(std::int32_t height) {
  height_ = std::max(height, MinFrameHeight);
}

void CropFrame::setTargetSize(const JobSettings& settings, bool swapped) {
  setHeight(swapped ? settings.targetWidth : settings.targetHeight);
  setWidth(swapped ? settings.targetHeight : settings.targetWidth);
  frameSwapped_ = swapped;
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
  setWidth(part.frame.width());
  setHeight(part.frame.height());
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

// Frame height per frame width.
double CropFrame::ratio(const JobSettings& settings) const {
  return frameSwapped_ ? storedRatio(settings.targetWidth, settings.targetHeight)
                       : storedRatio(settings.targetHeight, settings.targetWidth);
}

void CropFrame::handleMove(const PointerEvent& event, PictureSize picture,
                           const JobSettings& settings) {
  handleCursor_ = CursorKind::SizeDiagonal;
  const double r = ratio(settings);
  // The pointer's distance from the frame's left edge, during a drag that
  // began on the handle.
  if (event.leftHeld) resizeTo(std::int64_t(event.x) + resizeBaseWidth_ - HandleSize, picture, r);
  shrinkToFit(picture, r);
  placeHandle();
}

void CropFrame::resizeBy(std::int32_t dw, PictureSize picture, const JobSettings& settings) {
  const double r = ratio(settings);
  resizeBaseWidth_ = width_;
  resizeTo(std::int64_t(width_) + dw, picture, r);
  shrinkToFit(picture, r);
  placeHandle();
}

// Deliberate: only the new height is tested, and a height equal to the
// picture's is refused; the shrink that follows makes the frame fit.
void CropFrame::resizeTo(std::int64_t width, PictureSize picture, double ratio) {
  if (roundSample(width, ratio) < picture.height) {
    setWidth(saturated(width));
    setHeight(saturated(roundSample(width_, ratio)));
    resizeBaseWidth_ = width_;
  }
}

// One pixel of width at a time. A frame that does not fit even at the minimum
// width (a picture lower than the minimum height) stays as it then stands.
void CropFrame::shrinkToFit(PictureSize picture, double ratio) {
  while (!fits(picture)) {
    const std::int32_t before = width_;
    setWidth(width_ - 1);
    setHeight(saturated(roundSample(width_, ratio)));
    resizeBaseWidth_ = width_;
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
  // higher than the target the frame only moves to the corner, unturned.
  if (picture.height > settings.targetHeight) setTargetSize(settings, !frameSwapped_);
  placeHandle();
}

}  // namespace batchfit
