// The crop editor's zoom: screen pixels per picture pixel as a fraction, so
// that converting between the two is exact, and the pointer on screen
// converted to the picture pixels the frame's algorithms work in; and the
// scrolling that keeps the frame in view.
#pragma once

#include <cstdint>

#include "editor/CropFrame.h"

namespace batchfit {

// A place on the shown picture in screen pixels, from the picture's
// top-left corner.
struct ScreenPoint {
  std::int64_t x = 0;
  std::int64_t y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// Right and bottom are exclusive.
struct ScreenRect {
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

class Zoom {
 public:
  // 100 %: a screen pixel per picture pixel.
  Zoom() = default;
  // screen / picture, both at least 1.
  Zoom(std::int64_t screen, std::int64_t picture);

  // The largest zoom that shows the whole picture in a view of that size;
  // 100 % for a picture or a view without pixels.
  static Zoom toFit(PictureSize picture, PictureSize view);
  // The zoom a photo comes up at in a view of that size: 100 % when it fits,
  // and whole (toFit) when it does not; never larger than 100 %.
  static Zoom atShow(PictureSize picture, PictureSize view);
  // The next step up or down (from 1/16 to 8); this zoom past the last.
  Zoom in() const;
  Zoom out() const;

  // The picture pixel under a screen position: floor(screen / zoom).
  std::int64_t toPicture(std::int64_t screen) const;
  // Where picture pixel p starts on screen: the first screen position that
  // toPicture takes to p, ceil(p x zoom).
  std::int64_t toScreen(std::int64_t picture) const;
  int percent() const;
  // Screen pixels per picture pixel, for drawing.
  double scale() const { return double(screen_) / double(picture_); }
  bool isNatural() const { return screen_ == picture_; }
  bool operator==(const Zoom&) const = default;

 private:
  std::int64_t screen_ = 1;
  std::int64_t picture_ = 1;
};

// The pointer at a screen place as the frame's (or the handle's) algorithms
// take it: in picture pixels, relative to the frame's (or the handle's)
// top-left corner. At 100 % the place itself, less the corner.
PointerEvent framePointer(const CropFrame& frame, const Zoom& zoom, ScreenPoint at, bool leftHeld);
PointerEvent handlePointer(const CropFrame& frame, const Zoom& zoom, ScreenPoint at, bool leftHeld);

// Where the frame lies on screen.
ScreenRect frameOnScreen(const CropFrame& frame, const Zoom& zoom);
// Where the handle is drawn: its own place in the picture, but never smaller
// than at 100 %, in the frame's bottom-right corner.
ScreenRect handleOnScreen(const CropFrame& frame, const Zoom& zoom);

// Where the view, view.x by view.y screen pixels, scrolls to (its top-left
// corner on the shown picture, within 0..most) so that it shows all of area,
// or as much of it as it can hold, scrolling as little as it can from scroll.
ScreenPoint scrollToShow(const ScreenRect& area, ScreenPoint scroll, ScreenPoint view,
                         ScreenPoint most);

}  // namespace batchfit
