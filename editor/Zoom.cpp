#include "editor/Zoom.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

namespace batchfit {

namespace {

// Screen per picture pixels, smallest first.
constexpr std::array<std::array<std::int64_t, 2>, 13> Steps{{{1, 16},
                                                             {1, 8},
                                                             {1, 6},
                                                             {1, 4},
                                                             {1, 3},
                                                             {1, 2},
                                                             {2, 3},
                                                             {1, 1},
                                                             {2, 1},
                                                             {3, 1},
                                                             {4, 1},
                                                             {6, 1},
                                                             {8, 1}}};

// Rounded towards minus infinity, for positions left of or above the picture too.
std::int64_t floorDivide(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

std::int32_t saturated(std::int64_t v) {
  return std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

Zoom::Zoom(std::int64_t screen, std::int64_t picture)
    : screen_(std::max<std::int64_t>(screen, 1)), picture_(std::max<std::int64_t>(picture, 1)) {
  const std::int64_t divisor = std::gcd(screen_, picture_);
  screen_ /= divisor;
  picture_ /= divisor;
}

Zoom Zoom::toFit(PictureSize picture, PictureSize view) {
  if (picture.width <= 0 || picture.height <= 0 || view.width <= 0 || view.height <= 0) {
    return {};
  }
  // The smaller of view.width / picture.width and view.height / picture.height.
  if (std::int64_t(view.width) * picture.height <= std::int64_t(view.height) * picture.width) {
    return {view.width, picture.width};
  }
  return {view.height, picture.height};
}

Zoom Zoom::atShow(PictureSize picture, PictureSize view) {
  const Zoom fit = toFit(picture, view);
  return fit.screen_ > fit.picture_ ? Zoom() : fit;
}

Zoom Zoom::in() const {
  for (const auto& [screen, picture] : Steps) {
    if (screen * picture_ > screen_ * picture) return {screen, picture};
  }
  return *this;
}

Zoom Zoom::out() const {
  for (auto step = Steps.rbegin(); step != Steps.rend(); ++step) {
    const auto& [screen, picture] = *step;
    if (screen * picture_ < screen_ * picture) return {screen, picture};
  }
  return *this;
}

std::int64_t Zoom::toPicture(std::int64_t screen) const {
  return floorDivide(screen * picture_, screen_);
}

std::int64_t Zoom::toScreen(std::int64_t picture) const {
  return -floorDivide(-picture * screen_, picture_);
}

int Zoom::percent() const {
  return int((200 * screen_ + picture_) / (2 * picture_));
}

PointerEvent framePointer(const CropFrame& frame, const Zoom& zoom, ScreenPoint at, bool leftHeld) {
  return {saturated(zoom.toPicture(at.x) - frame.left()),
          saturated(zoom.toPicture(at.y) - frame.top()), leftHeld};
}

PointerEvent handlePointer(const CropFrame& frame, const Zoom& zoom, ScreenPoint at,
                           bool leftHeld) {
  return {saturated(zoom.toPicture(at.x) - frame.handleLeft()),
          saturated(zoom.toPicture(at.y) - frame.handleTop()), leftHeld};
}

ScreenRect frameOnScreen(const CropFrame& frame, const Zoom& zoom) {
  return {zoom.toScreen(frame.left()), zoom.toScreen(frame.top()),
          zoom.toScreen(std::int64_t(frame.left()) + frame.width()),
          zoom.toScreen(std::int64_t(frame.top()) + frame.height())};
}

ScreenRect handleOnScreen(const CropFrame& frame, const Zoom& zoom) {
  const ScreenRect f = frameOnScreen(frame, zoom);
  const std::int64_t size = std::max<std::int64_t>(
      HandleSize, zoom.toScreen(std::int64_t(frame.handleLeft()) + HandleSize) -
                      zoom.toScreen(frame.handleLeft()));
  return {f.right - size, f.bottom - size, f.right, f.bottom};
}

namespace {

// Along one axis: the view moves least to reach a place between the one
// where it starts with the area and the one where it ends with it.
std::int64_t scrollAlong(std::int64_t first, std::int64_t end, std::int64_t at, std::int64_t length,
                         std::int64_t most) {
  const std::int64_t endsWith = end - length;
  at = std::clamp(at, std::min(first, endsWith), std::max(first, endsWith));
  return std::clamp<std::int64_t>(at, 0, std::max<std::int64_t>(most, 0));
}

}  // namespace

ScreenPoint scrollToShow(const ScreenRect& area, ScreenPoint scroll, ScreenPoint view,
                         ScreenPoint most) {
  return {scrollAlong(area.left, area.right, scroll.x, view.x, most.x),
          scrollAlong(area.top, area.bottom, scroll.y, view.y, most.y)};
}

}  // namespace batchfit
