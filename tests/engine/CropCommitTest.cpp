#include <gtest/gtest.h>

#include <functional>

#include "engine/AntiAlias.h"
#include "engine/CropCommit.h"
#include "engine/SmoothScaling.h"
#include "tests/support/Errors.h"
#include "tests/support/Surfaces.h"

using namespace batchfit;
using testpics::colourAt;
using testpics::messageOf;
using testpics::patterned;
using testpics::sampleOf;

namespace {

// OK/NEXT on a width x height patterned picture with the frame, turned or not.
struct Commit {
  PixelSurface picture;
  FramedPart part;
  PictureRole target;

  Commit(int width, int height, const JobSettings& s, SurfaceRect frame, bool turned = false)
      : picture(patterned(width, height)), part{frame, turned} {
    target.prepare(s.targetWidth, s.targetHeight);
  }
  void run(const JobSettings& s) { commitCrop(picture, part, s, target); }
};

// A frame's place and size as a rectangle.
SurfaceRect at(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}

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
  Commit c(300, 400, s, at(0, 0, 176, 220));
  c.run(s);
  expectTarget(c.target, s, colourAt);
}

TEST(CropCommit, ResizedFrameIsCutToTheCornerAndScaled) {
  JobSettings s;
  Commit c(700, 800, s, at(30, 40, 300, 375));
  c.run(s);
  expectTarget(c.target, s, [](int x, int y) {
    return colourAt(30 + int(sampleOf(x, 300, 176)), 40 + int(sampleOf(y, 375, 220)));
  });
}

TEST(CropCommit, LeavesThePictureAsItIsWithoutCopyingIt) {
  JobSettings s;
  Commit c(700, 800, s, at(30, 40, 300, 375));
  const PixelSurface shared = c.picture;
  c.run(s);
  proveCommit(c.picture, c.part, s);
  EXPECT_EQ(c.picture.row(0), shared.row(0));
  EXPECT_EQ(c.picture.getPixel(0, 0), colourAt(0, 0));
}

TEST(CropCommit, TurnedFrameTurnsClockwiseForRightAndCounterClockwiseForLeft) {
  JobSettings s;
  s.rotateDirection = Turn::Right;
  // 220 x 176 at (50, 10), the target turned: the factors are 1, so the
  // result is the framed part turned, pixel for pixel, nothing squeezed.
  Commit c(400, 220, s, at(50, 10, 220, 176), true);
  c.run(s);
  expectTarget(c.target, s, [](int x, int y) { return colourAt(50 + y, 10 + 175 - x); });

  s.rotateDirection = Turn::Left;
  Commit d(400, 220, s, at(50, 10, 220, 176), true);
  d.run(s);
  expectTarget(d.target, s, [](int x, int y) { return colourAt(50 + 219 - y, 10 + x); });
}

TEST(CropCommit, PartsOfAFrameOutsideASmallPictureComeOutBlack) {
  JobSettings s;
  // The turned frame, kept in the picture as far as it goes: at the top -26.
  Commit c(300, 150, s, at(0, -26, 220, 176), true);
  c.run(s);
  // The part's rows 0..25 lie above the picture, and rows from 150 on below it.
  expectTarget(c.target, s, [](int x, int y) -> ColorRef {
    if (x < 26 || x >= 150) return 0;
    return colourAt(219 - y, x - 26);
  });
}

TEST(CropCommit, ZeroTargetSizeFailsWithTheCutMadeAndTheTargetUntouched) {
  JobSettings s;
  s.targetWidth = 0;
  Commit c(300, 400, s, at(30, 40, 176, 220));
  c.target.prepare(4, 4);
  c.target.surface().setPixel(1, 1, 0x123456);
  EXPECT_EQ(messageOf([&] { c.run(s); }), "Floating point division by zero");
  EXPECT_EQ(messageOf([&] { proveCommit(c.picture, c.part, s); }),
            "Floating point division by zero");
  EXPECT_EQ(c.picture.getPixel(0, 0), colourAt(30, 40));
  EXPECT_EQ(c.target.surface().getPixel(1, 1), 0x123456u);
  EXPECT_EQ(c.target.surface().getPixel(0, 0), White);
}

TEST(CropCommit, NegativeTargetSizeVisitsNothingAndMakesNoTarget) {
  JobSettings s;
  s.targetWidth = -5;
  Commit c(300, 400, s, at(0, 0, 176, 220));
  c.run(s);
  EXPECT_FALSE(c.target.holdsSurface());
}

// What the run writes after "OK/NEXT", softened when asked: for frames inside
// the picture and over the corner they are cut to, sticking out of a low
// picture, turned either way, and narrower than a large target (whose last
// samples fall just past the framed part).
TEST(CropCommit, PreviewIsTheWrittenResultToThePixel) {
  struct Case {
    int width, height;
    SurfaceRect frame;
    bool turned;
    JobSettings s;
  };
  JobSettings softened, right, large;
  softened.antiAlias = true;
  right.rotateDirection = Turn::Right;
  right.antiAlias = true;
  large.targetWidth = 400;
  large.targetHeight = 500;
  const Case cases[] = {{700, 800, at(30, 40, 300, 375), false, {}},
                        {700, 800, at(90, 120, 176, 220), false, softened},
                        {400, 220, at(50, 10, 220, 200), true, right},
                        {400, 220, at(50, 10, 220, 200), true, {}},
                        {300, 150, at(0, -50, 220, 200), true, softened},
                        {1200, 1300, at(70, 90, 176, 220), false, large}};
  for (const Case& k : cases) {
    Commit c(k.width, k.height, k.s, k.frame, k.turned);
    const PixelSurface preview = previewCrop(c.picture, c.part, k.s);
    EXPECT_EQ(c.picture.getPixel(0, 0), colourAt(0, 0));  // left uncut
    c.run(k.s);
    antiAliasPass(k.s.antiAlias, c.target);
    expectTarget(c.target, k.s, [&](int x, int y) { return preview.getPixel(x, y); });
    EXPECT_EQ(preview.width(), k.s.targetWidth);
    EXPECT_EQ(preview.height(), k.s.targetHeight);
  }
  // A frame against the picture's right edge, and one column short of it.
  for (const int gap : {0, 1}) {
    Commit c(700, 800, {}, at(700 - 176 - gap, 40, 176, 220));
    const PixelSurface preview = previewCrop(c.picture, c.part, {});
    c.run({});
    expectTarget(c.target, {}, [&](int x, int y) { return preview.getPixel(x, y); });
  }
  // The large target's last column and row sample the picture's own pixel
  // just past the part, where the cut left it: the narrowest frame, over a target of 400 x 500.
  Commit c(1200, 1300, large, at(70, 90, 176, 220));
  const PixelSurface preview = previewCrop(c.picture, c.part, large);
  EXPECT_EQ(preview.getPixel(399, 0), colourAt(176, 0));
  EXPECT_EQ(preview.getPixel(399, 499), colourAt(176, 220));
  EXPECT_EQ(preview.getPixel(0, 0), colourAt(70, 90));
}

// With smoothing, the commit and its preview are the smooth reduction of
// the framed part from the full-size picture, straight or turned with the
// frame, black where the frame sticks out of a low picture.
TEST(CropCommit, SmoothCommitIsTheSmoothReductionOfTheFramedPart) {
  JobSettings s;
  s.smoothScaling = true;
  s.rotateDirection = Turn::Right;
  const struct {
    int width, height;
    SurfaceRect frame;
    bool turned;
  } cases[] = {{700, 800, at(30, 40, 176, 220), false},
               {400, 220, at(50, 10, 220, 176), true},
               {300, 150, at(0, 0, 220, 176), true}};
  for (const auto& k : cases) {
    Commit c(k.width, k.height, s, k.frame, k.turned);
    const SurfaceRect& frame = k.frame;
    PixelSurface part = PixelSurface::create(frame.width(), frame.height());
    for (int y = 0; y < frame.height(); ++y) {
      for (int x = 0; x < frame.width(); ++x) {
        part.setPixel(x, y, c.picture.getPixel(frame.left + x, frame.top + y));
      }
    }
    PixelSurface expected = PixelSurface::create(s.targetWidth, s.targetHeight);
    const bool turned = k.turned;
    smoothResample(part, expected,
                   {turned ? Turn::Right : Turn::None,
                    turned ? turnedFactors(s, frame.width(), frame.height())
                           : straightFactors(s, frame.width(), frame.height())});
    const PixelSurface preview = previewCrop(c.picture, c.part, s);
    c.run(s);
    expectTarget(c.target, s, [&](int x, int y) { return expected.getPixel(x, y); });
    expectTarget(c.target, s, [&](int x, int y) { return preview.getPixel(x, y); });
  }
}
