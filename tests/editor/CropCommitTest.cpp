#include <gtest/gtest.h>

#include <functional>

#include "editor/CropCommit.h"
#include "engine/AntiAlias.h"
#include "tests/support/Errors.h"
#include "tests/support/Surfaces.h"

using namespace batchfit;
using testpics::colourAt;
using testpics::messageOf;
using testpics::patterned;
using testpics::sampleOf;

namespace {

// OK/NEXT on a copy of picture with the frame placed at show and dragged by
// (dx, dy); returns the target surface.
struct Commit {
  PixelSurface picture;
  CropFrame frame;
  PictureRole target;
  bool editorSkipped = true;

  Commit(int width, int height, const JobSettings& s, int dx = 0, int dy = 0)
      : picture(patterned(width, height)) {
    const PictureSize size{width, height};
    frame.placeAtShow(size, s);
    frame.framePress(0, 0);
    frame.frameMove({dx, dy, false}, size);  // clamps even without a drag
    frame.frameMove({dx, dy, true}, size);
    target.prepare(s.targetWidth, s.targetHeight);
  }
  void run(const JobSettings& s) { commitCrop(picture, frame, s, target, editorSkipped); }
};

// Every target pixel equals expected(x, y).
void expectTarget(PictureRole& target, const JobSettings& s,
                  const std::function<ColorRef(int, int)>& expected) {
  const PixelSurface& t = target.surface();
  for (int x = 0; x < s.targetWidth; ++x) {
    for (int y = 0; y < s.targetHeight; ++y) {
      ASSERT_EQ(t.getPixel(x, y), expected(x, y)) << "at " << x << "," << y;
    }
  }
}

}  // namespace

TEST(CropCommit, FrameAsPlacedOnATallPictureTakesItsTopLeftPart) {
  JobSettings s;
  Commit c(300, 400, s);
  c.run(s);
  EXPECT_FALSE(c.editorSkipped);
  expectTarget(c.target, s, colourAt);
}

TEST(CropCommit, ResizedFrameIsCutToTheCornerAndScaled) {
  JobSettings s;
  Commit c(700, 800, s, 30, 40);
  c.frame.handlePress();
  c.frame.handleMove({134, 0, true}, {700, 800}, s);  // 300 x 375
  c.run(s);
  expectTarget(c.target, s, [](int x, int y) {
    return colourAt(30 + int(sampleOf(x, 300, 176)), 40 + int(sampleOf(y, 375, 220)));
  });
  // The rest of the editor picture keeps its own pixels.
  EXPECT_EQ(c.picture.getPixel(0, 0), colourAt(30, 40));
  EXPECT_EQ(c.picture.getPixel(699, 799), colourAt(699, 799));
}

TEST(CropCommit, TurnedFrameTurnsClockwiseForRightAndCounterClockwiseForLeft) {
  JobSettings s;
  s.rotateDirection = Turn::Right;
  // 220 x 176 at (50, 10), the target turned: the factors are 1, so the
  // result is the framed part turned, pixel for pixel, nothing squeezed.
  Commit c(400, 220, s, 50, 10);
  c.run(s);
  expectTarget(c.target, s, [](int x, int y) { return colourAt(50 + y, 10 + 175 - x); });

  s.rotateDirection = Turn::Left;
  Commit d(400, 220, s, 50, 10);
  d.run(s);
  expectTarget(d.target, s, [](int x, int y) { return colourAt(50 + 219 - y, 10 + x); });
}

TEST(CropCommit, PartsOfAFrameOutsideASmallPictureComeOutBlack) {
  JobSettings s;
  Commit c(300, 150, s, 0, 0);  // 220 x 176, clamped to top -26
  ASSERT_EQ(c.frame.top(), -26);
  c.run(s);
  // The part's rows 0..25 lie above the picture, and rows from 150 on below it.
  expectTarget(c.target, s, [](int x, int y) -> ColorRef {
    if (x < 26 || x >= 150) return 0;
    return colourAt(219 - y, x - 26);
  });
}

TEST(CropCommit, ZeroTargetSizeFailsAfterTheCutWithoutTouchingTheTarget) {
  JobSettings s;
  s.targetWidth = 0;
  Commit c(300, 400, s, 30, 40);
  c.target.prepare(4, 4);
  c.target.surface().setPixel(1, 1, 0x123456);
  EXPECT_EQ(messageOf([&] { c.run(s); }), "Floating point division by zero");
  EXPECT_FALSE(c.editorSkipped);
  EXPECT_EQ(c.picture.getPixel(0, 0), colourAt(30, 40));
  EXPECT_EQ(c.target.surface().getPixel(1, 1), 0x123456u);
  EXPECT_EQ(c.target.surface().getPixel(0, 0), White);
}

TEST(CropCommit, NegativeTargetSizeVisitsNothingAndMakesNoTarget) {
  JobSettings s;
  s.targetWidth = -5;
  Commit c(300, 400, s);
  c.run(s);
  EXPECT_FALSE(c.editorSkipped);
  EXPECT_FALSE(c.target.holdsSurface());
}

// What the run writes after "OK/NEXT", softened when asked: for frames inside
// the picture and over the corner they are cut to, sticking out of a low
// picture, turned either way, and at the smallest frame of a large target.
TEST(CropCommit, PreviewIsTheWrittenResultToThePixel) {
  struct Case {
    int width, height, dx, dy, resizeTo;
    JobSettings s;
  };
  JobSettings softened, right, large;
  softened.antiAlias = true;
  right.rotateDirection = Turn::Right;
  right.antiAlias = true;
  large.targetWidth = 400;
  large.targetHeight = 500;
  const Case cases[] = {{700, 800, 30, 40, 300, {}},   {700, 800, 90, 120, 0, softened},
                        {400, 220, 50, 10, 0, right},  {400, 220, 50, 10, 0, {}},
                        {300, 150, 0, 0, 0, softened}, {1200, 1300, 70, 90, 176, large}};
  for (const Case& k : cases) {
    Commit c(k.width, k.height, k.s, k.dx, k.dy);
    if (k.resizeTo) {
      c.frame.handlePress();
      c.frame.handleMove({k.resizeTo - c.frame.width() + 10, 0, true}, {k.width, k.height}, k.s);
    }
    const PixelSurface preview = previewCrop(c.picture, c.frame, k.s);
    EXPECT_EQ(c.picture.getPixel(0, 0), colourAt(0, 0));  // left uncut
    c.run(k.s);
    antiAliasPass(k.s.antiAlias, c.target);
    expectTarget(c.target, k.s, [&](int x, int y) { return preview.getPixel(x, y); });
    EXPECT_EQ(preview.width(), k.s.targetWidth);
    EXPECT_EQ(preview.height(), k.s.targetHeight);
  }
  // No frame is smaller than a large target, so none is enlarged into it:
  // the smallest is the framed part itself.
  Commit c(1200, 1300, large, 70, 90);
  c.frame.handlePress();
  c.frame.handleMove({-1000, 0, true}, {1200, 1300}, large);
  ASSERT_EQ(c.frame.width(), 400);
  const PixelSurface preview = previewCrop(c.picture, c.frame, large);
  EXPECT_EQ(preview.getPixel(0, 0), colourAt(70, 90));
  EXPECT_EQ(preview.getPixel(399, 499), colourAt(469, 589));
}
