#include <gtest/gtest.h>

#include <utility>

#include "editor/ViewGeometry.h"

using namespace batchfit;

// A view 100 pixels long: the bands are its first and last 16 pixels.
TEST(ViewGeometry, EdgeDepthCountsFromEachBandsInnerEdge) {
  EXPECT_EQ(depthIntoEdge(16, 100), 0);
  EXPECT_EQ(depthIntoEdge(15, 100), -1);
  EXPECT_EQ(depthIntoEdge(-5, 100), -21);  // past the edge
  EXPECT_EQ(depthIntoEdge(83, 100), 0);
  EXPECT_EQ(depthIntoEdge(84, 100), 1);
  EXPECT_EQ(depthIntoEdge(120, 100), 37);
}

TEST(ViewGeometry, ScrollStepGrowsWithTheDepthUpToSixty) {
  EXPECT_EQ(scrollStep(0), 0);
  EXPECT_EQ(scrollStep(1), 2);
  EXPECT_EQ(scrollStep(-1), -2);
  EXPECT_EQ(scrollStep(115), 59);
  EXPECT_EQ(scrollStep(116), 60);
  EXPECT_EQ(scrollStep(-400), -60);
}

// A 40 x 30 box 10 pixels in from the edges of a 200 x 100 view: the
// bottom-right place spans (150, 60) to (190, 90).
TEST(ViewGeometry, PreviewGoesWhereItCoversLeastOfTheFrame) {
  using Place = std::pair<std::int64_t, std::int64_t>;
  const auto corner = [](ScreenRect frame) {
    const ScreenPoint at = previewCorner({200, 100}, {40, 30}, frame, 10);
    return Place(at.x, at.y);
  };
  EXPECT_EQ(corner({190, 90, 200, 100}), Place(150, 60));  // touching, not covering
  EXPECT_EQ(corner({189, 89, 200, 100}), Place(10, 60));
  EXPECT_EQ(corner({0, 50, 200, 100}), Place(150, 10));
  EXPECT_EQ(corner({0, 0, 200, 100}), Place(150, 60));  // covered alike everywhere
}
