#include <gtest/gtest.h>

#include "editor/CropFrame.h"
#include "tests/support/Errors.h"
#include "tests/support/FrameGeometry.h"

using namespace batchfit;
using edittest::Geometry;
using edittest::geometryOf;
using testpics::messageOf;

namespace {

void expectHandleInCorner(const CropFrame& f) {
  EXPECT_EQ(f.handleLeft(), f.left() + f.width() - 10);
  EXPECT_EQ(f.handleTop(), f.top() + f.height() - 10);
}

// The frame dragged from its top-left corner by (dx, dy).
void drag(CropFrame& f, PictureSize picture, int dx, int dy) {
  f.framePress(0, 0);
  f.frameMove({dx, dy, true}, picture);
}

// The handle dragged so that the frame's right edge lies w from its left edge.
void resizeTo(CropFrame& f, PictureSize picture, const JobSettings& s, int w) {
  f.handlePress();
  f.handleMove({w - f.resizeBaseWidth() + 10, 5, true}, picture, s);
}

const JobSettings defaults;

}  // namespace

TEST(CropFramePlacement, OnlyThePictureHeightDecidesTheOrientation) {
  CropFrame f;
  f.placeAtShow({100, 221}, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 176, 220}));
  EXPECT_FALSE(f.frameSwapped());
  expectHandleInCorner(f);

  // Exactly the target's height: turned, at the target's own size turned.
  f.placeAtShow({5000, 220}, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 220, 176}));
  EXPECT_TRUE(f.frameSwapped());
  expectHandleInCorner(f);
}

TEST(CropFrameMove, CursorChangesOnlyStrictlyInsideAndNeverGoesBack) {
  CropFrame f;
  const PictureSize picture{400, 400};
  f.placeAtShow(picture, defaults);
  for (auto [x, y] : {std::pair{3, 50}, {173, 50}, {50, 3}, {50, 217}, {-20, 50}}) {
    f.frameMove({x, y, false}, picture);
    EXPECT_EQ(f.frameCursor(), CursorKind::Arrow) << x << "," << y;
  }
  f.frameMove({4, 4, false}, picture);
  EXPECT_EQ(f.frameCursor(), CursorKind::Move);
  f.frameMove({0, 0, false}, picture);
  f.placeAtShow(picture, defaults);
  EXPECT_EQ(f.frameCursor(), CursorKind::Move);
}

TEST(CropFrameMove, DragKeepsThePressedPointUnderThePointerAndClamps) {
  CropFrame f;
  const PictureSize picture{300, 400};
  f.placeAtShow(picture, defaults);
  f.framePress(50, 60);
  f.frameMove({70, 90, true}, picture);
  EXPECT_EQ(geometryOf(f), (Geometry{20, 30, 176, 220}));
  expectHandleInCorner(f);

  f.frameMove({90, 90, false}, picture);  // no button: no drag
  EXPECT_EQ(geometryOf(f), (Geometry{20, 30, 176, 220}));

  drag(f, picture, 1000, 1000);
  EXPECT_EQ(geometryOf(f), (Geometry{124, 180, 176, 220}));
  drag(f, picture, -1000, -1000);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 176, 220}));
}

TEST(CropFrameMove, MoveWithoutButtonClampsAFrameLargerThanThePicture) {
  CropFrame f;
  const PictureSize picture{100, 150};
  f.placeAtShow(picture, defaults);
  f.frameMove({1, 1, false}, picture);
  // Sticks out at the left and at the top.
  EXPECT_EQ(geometryOf(f), (Geometry{-120, -26, 220, 176}));
  expectHandleInCorner(f);
}

TEST(CropFrameResize, KeepsTheProportionsBelowThePictureHeight) {
  CropFrame f;
  const PictureSize picture{600, 500};
  f.placeAtShow(picture, defaults);
  resizeTo(f, picture, defaults, 300);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 300, 375}));
  EXPECT_EQ(f.resizeBaseWidth(), 300);
  EXPECT_EQ(f.handleCursor(), CursorKind::SizeDiagonal);
  expectHandleInCorner(f);

  resizeTo(f, picture, defaults, 400);  // N(400 x 1.25) = 500 = H: refused
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 300, 375}));
  resizeTo(f, picture, defaults, 399);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 399, 499}));

  f.handleMove({-500, 0, false}, picture, defaults);  // no button: no resize
  EXPECT_EQ(f.width(), 399);
  resizeTo(f, picture, defaults, 20);  // past the minimum width
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 176, 220}));
  EXPECT_EQ(f.resizeBaseWidth(), 176);
}

// The smallest frame is the target's own size, turned with the frame, so a
// frame never leaves the target's proportions.
TEST(CropFrameResize, MinimumIsTheTargetsSizeTurnedWithTheFrame) {
  struct Case {
    std::int32_t targetWidth, targetHeight;
    bool turned;
    Geometry least;
  };
  const Case cases[] = {{176, 220, false, {0, 0, 176, 220}},
                        {176, 220, true, {0, 0, 220, 176}},
                        {100, 60, false, {0, 0, 100, 60}},
                        {100, 60, true, {0, 0, 60, 100}}};
  const PictureSize picture{700, 900};
  for (const Case& k : cases) {
    JobSettings s;
    s.targetWidth = k.targetWidth;
    s.targetHeight = k.targetHeight;
    CropFrame f;
    f.placeAtShow(picture, s);
    if (k.turned) f.rotate(picture, s);
    EXPECT_EQ(geometryOf(f), k.least) << k.targetWidth << "x" << k.targetHeight;
    resizeTo(f, picture, s, k.least.width + 30);
    resizeTo(f, picture, s, k.least.width - 1);  // one past the minimum
    EXPECT_EQ(geometryOf(f), k.least) << k.targetWidth << "x" << k.targetHeight;
    resizeTo(f, picture, s, k.least.width + 1);
    EXPECT_EQ(f.width(), k.least.width + 1);
    EXPECT_GE(f.height(), k.least.height);
  }
}

TEST(CropFrameResize, ShrinksUntilTheFrameFits) {
  CropFrame f;
  const PictureSize picture{1000, 1000};
  f.placeAtShow(picture, defaults);
  drag(f, picture, 700, 0);
  resizeTo(f, picture, defaults, 400);
  EXPECT_EQ(geometryOf(f), (Geometry{700, 0, 300, 375}));
  EXPECT_EQ(f.resizeBaseWidth(), 300);
  expectHandleInCorner(f);
}

TEST(CropFrameResize, ShrinkEndsAtTheMinimumWidthOnALowPicture) {
  CropFrame f;
  const PictureSize picture{400, 150};
  f.placeAtShow(picture, defaults);
  resizeTo(f, picture, defaults, 300);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 220, 176}));
  f.handleMove({0, 0, false}, picture, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 220, 176}));
  EXPECT_EQ(f.resizeBaseWidth(), 220);
}

TEST(CropFrameResize, ZeroTargetSizeFailsAfterTheCursorChangeOnly) {
  CropFrame f;
  JobSettings s;
  s.targetWidth = 0;
  const PictureSize picture{600, 500};
  f.placeAtShow(picture, s);
  const Geometry before = geometryOf(f);
  EXPECT_EQ(messageOf([&] { resizeTo(f, picture, s, 300); }), "Floating point division by zero");
  EXPECT_EQ(f.handleCursor(), CursorKind::SizeDiagonal);
  EXPECT_EQ(geometryOf(f), before);

  s.targetHeight = 0;
  EXPECT_EQ(messageOf([&] {
              f.handleMove({0, 0, false}, picture, s);
            }),
            "Invalid floating point operation");
  // Moving and turning divide nothing.
  EXPECT_NO_THROW(drag(f, picture, 10, 10));
  EXPECT_NO_THROW(f.rotate(picture, s));
}

TEST(CropFrameRotate, TurnsBackToTheTargetSizeAtTheCorner) {
  CropFrame f;
  const PictureSize picture{1000, 1000};
  f.placeAtShow(picture, defaults);
  resizeTo(f, picture, defaults, 300);
  drag(f, picture, 50, 50);
  f.rotate(picture, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 220, 176}));
  EXPECT_TRUE(f.frameSwapped());
  expectHandleInCorner(f);
  f.rotate(picture, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 176, 220}));
  EXPECT_FALSE(f.frameSwapped());
}

TEST(CropFrameRotate, OnlyMovesTheFrameWhenThePictureCannotTakeItTurned) {
  CropFrame f;
  const PictureSize picture{1000, 220};
  f.placeAtShow(picture, defaults);
  resizeTo(f, picture, defaults, 260);
  drag(f, picture, 30, 5);
  f.rotate(picture, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 260, 208}));
  EXPECT_TRUE(f.frameSwapped());
  expectHandleInCorner(f);

  // Higher than the target, but one pixel too narrow for the turned frame.
  const PictureSize narrow{219, 400};
  f.placeAtShow(narrow, defaults);
  drag(f, narrow, 20, 20);
  f.rotate(narrow, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 176, 220}));
  EXPECT_FALSE(f.frameSwapped());
  f.rotate({220, 400}, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 220, 176}));
}

TEST(CropFrameKeys, MoveAndResizeTakeTheDragsClampsAndTheHandlesRule) {
  CropFrame f;
  const PictureSize picture{600, 500};
  f.placeAtShow(picture, defaults);
  f.moveBy(10, 1, picture);
  EXPECT_EQ(geometryOf(f), (Geometry{10, 1, 176, 220}));
  f.moveBy(-1000, 1000, picture);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 280, 176, 220}));
  expectHandleInCorner(f);

  // Larger by 10 is the handle dragged 10 further; at the bottom edge the
  // shrink takes it back.
  f.moveBy(0, -280, picture);
  CropFrame dragged = f;
  resizeTo(dragged, picture, defaults, f.width() + 10);
  f.resizeBy(10, picture, defaults);
  EXPECT_EQ(geometryOf(f), geometryOf(dragged));
  EXPECT_EQ(f.resizeBaseWidth(), dragged.resizeBaseWidth());
  f.moveBy(0, 1000, picture);
  const Geometry atBottom = geometryOf(f);
  f.resizeBy(10, picture, defaults);
  EXPECT_EQ(geometryOf(f), atBottom);
  f.resizeBy(-1000, picture, defaults);
  EXPECT_EQ(f.width(), 176);
  expectHandleInCorner(f);

  JobSettings zero;
  zero.targetWidth = 0;
  EXPECT_EQ(messageOf([&] { f.resizeBy(10, picture, zero); }), "Floating point division by zero");
}

TEST(CropFrameCommands, LargestIsTheWidestFrameADragCouldMakeCentred) {
  struct Case {
    PictureSize picture;
    bool turned;
    Geometry largest;
  };
  const Case cases[] = {{{3000, 4000}, false, {0, 125, 3000, 3750}},
                        {{4000, 3000}, false, {800, 0, 2399, 2999}},
                        {{4000, 3000}, true, {125, 0, 3749, 2999}},
                        // The target's own proportions: a frame as high as
                        // the picture is one the handle refuses.
                        {{1760, 2200}, false, {0, 0, 1759, 2199}}};
  for (const Case& k : cases) {
    CropFrame f;
    f.placeAtShow(k.picture, defaults);
    if (k.turned) f.rotate(k.picture, defaults);
    f.largest(k.picture, defaults);
    EXPECT_EQ(geometryOf(f), k.largest) << k.picture.width << "x" << k.picture.height;
    EXPECT_EQ(f.frameSwapped(), k.turned);
    expectHandleInCorner(f);
    const Geometry made = geometryOf(f);
    resizeTo(f, k.picture, defaults, k.largest.width + 1);
    EXPECT_EQ(geometryOf(f), made);
  }
  // A picture narrower than the smallest frame: the smallest, kept as a drag keeps it.
  CropFrame f;
  f.placeAtShow({150, 400}, defaults);
  f.largest({150, 400}, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{-26, 90, 176, 220}));
}

TEST(CropFrameCommands, LikeLastTakesTheSameSharesInTheTargetsProportions) {
  CropFrame last;
  const PictureSize landscape{4000, 3000};
  last.placeAtShow(landscape, defaults);
  last.moveBy(1000, 500, landscape);
  last.resizeBy(800 - 176, landscape, defaults);
  ASSERT_EQ(geometryOf(last), (Geometry{1000, 500, 800, 1000}));
  const FrameShare share = last.shareOf(landscape);

  CropFrame f;
  f.placeAtShow(landscape, defaults);
  f.likeLast(share, landscape, defaults);
  EXPECT_EQ(geometryOf(f), geometryOf(last));
  f.likeLast(share, {8000, 6000}, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{2000, 1000, 1600, 2000}));
  // On a portrait photo the width's share is the smaller.
  f.likeLast(share, {3000, 4000}, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{750, 667, 600, 750}));
  expectHandleInCorner(f);

  // Turned, and past the right edge: kept in the picture, the height's share the smaller.
  f.likeLast({0.9, 0.1, 0.5, 0.2, true}, {1000, 1000}, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{750, 100, 250, 200}));
  EXPECT_TRUE(f.frameSwapped());
  // Shares below the smallest frame give the smallest.
  f.likeLast({0, 0, 0.01, 0.01, false}, {1000, 1000}, defaults);
  EXPECT_EQ(geometryOf(f), (Geometry{0, 0, 176, 220}));
}
