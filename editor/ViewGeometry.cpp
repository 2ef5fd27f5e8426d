#include "editor/ViewGeometry.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace batchfit {

namespace {

std::int64_t overlap(std::int64_t from, std::int64_t to, std::int64_t otherFrom,
                     std::int64_t otherTo) {
  return std::max<std::int64_t>(0, std::min(to, otherTo) - std::max(from, otherFrom));
}

}  // namespace

int depthIntoEdge(int place, int length) {
  if (place < EdgeBand) return place - EdgeBand;
  if (place >= length - EdgeBand) return place - (length - EdgeBand) + 1;
  return 0;
}

int scrollStep(int depth) {
  if (depth == 0) return 0;
  const int speed = std::min(2 + std::abs(depth) / 2, 60);
  return depth < 0 ? -speed : speed;
}

ScreenPoint previewCorner(ViewSize view, ViewSize box, const ScreenRect& frame,
                          std::int64_t margin) {
  const std::int64_t left = margin, top = margin;
  const std::int64_t right = view.width - margin - box.width;
  const std::int64_t bottom = view.height - margin - box.height;
  const ScreenPoint corners[] = {{right, bottom}, {left, bottom}, {right, top}, {left, top}};
  ScreenPoint best = corners[0];
  std::int64_t leastCovered = std::numeric_limits<std::int64_t>::max();
  for (const ScreenPoint& corner : corners) {
    const std::int64_t covered = overlap(corner.x, corner.x + box.width, frame.left, frame.right) *
                                 overlap(corner.y, corner.y + box.height, frame.top, frame.bottom);
    if (covered < leastCovered) {
      leastCovered = covered;
      best = corner;
    }
  }
  return best;
}

}  // namespace batchfit
