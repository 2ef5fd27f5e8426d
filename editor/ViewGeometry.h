// Where the crop editor's view puts its preview box, and how fast a drag at
// the view's edge scrolls it: in the view's pixels, from its top-left corner.
#pragma once

#include <cstdint>

#include "editor/Zoom.h"

namespace batchfit {

// The band along the view's edges where a drag scrolls the view.
inline constexpr int EdgeBand = 16;

struct ViewSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// How far place, along a view length pixels long, lies into the edge band
// or past it: negative at the start (left, top), positive at the end, 0
// between the two bands.
int depthIntoEdge(int place, int length);

// The scroll bar's step for a pointer that deep: faster the deeper, at most
// 60 pixels; negative toward the start.
int scrollStep(int depth);

// The top-left corner of a box of that size, margin pixels in from the
// view's edges, in the corner where it covers least of frame; of corners
// that cover alike, the first of bottom-right, bottom-left, top-right,
// top-left.
ScreenPoint previewCorner(ViewSize view, ViewSize box, const ScreenRect& frame,
                          std::int64_t margin);

}  // namespace batchfit
