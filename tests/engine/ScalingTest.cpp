// Scale factors, the aspect test, nearest-neighbour sampling with its turns,
// and the anti-aliasing pass, on surfaces in memory.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/AntiAlias.h"
#include "engine/Scaling.h"
#include "tests/support/Batch.h"
#include "tests/support/Errors.h"
#include "tests/support/Surfaces.h"
#include "tests/support/WholeSampling.h"

using namespace batchfit;
using enginetest::target;
using testpics::colourAt;
using testpics::filledRole;
using testpics::messageOf;
using testpics::patterned;
using testpics::resampleStraight;
using testpics::resampleTurned;

namespace {

TEST(ScaleFactors, QuotientsOfTheSizes) {
  const ScaleFactors exact = straightFactors(target(176, 220), 176, 220);
  EXPECT_EQ(exact.stepX, 1.0);
  EXPECT_EQ(exact.stepY, 1.0);
  const ScaleFactors half = straightFactors(target(176, 220), 264, 330);
  EXPECT_EQ(half.stepX, 1.5);
  EXPECT_EQ(half.stepY, 1.5);
  // Turned, the target's height lies along the picture's width.
  const ScaleFactors turned = turnedFactors(target(176, 220), 440, 528);
  EXPECT_EQ(turned.stepX, 2.0);
  EXPECT_EQ(turned.stepY, 3.0);
}

TEST(ScaleFactors, DivisionByAZeroTargetSizeIsAnError) {
  const std::string byZero = "Floating point division by zero";
  EXPECT_EQ(messageOf([] { straightFactors(target(0, 220), 300, 400); }), byZero);
  EXPECT_EQ(messageOf([] { straightFactors(target(176, 0), 300, 400); }), byZero);
  EXPECT_EQ(messageOf([] { turnedFactors(target(176, 0), 300, 400); }), byZero);
  EXPECT_EQ(messageOf([] { aspectMatches(target(0, 0), 300, 400, false); }),
            "Invalid floating point operation");
  EXPECT_EQ(messageOf([] { aspectMatches(target(0, 0), 300, 400, true); }),
            "Invalid floating point operation");
  EXPECT_EQ(messageOf([] { aspectMatches(target(176, 0), 300, 400, false); }), byZero);
  // A width of 0 only makes the straight ratio 0: nothing matches.
  EXPECT_FALSE(aspectMatches(target(0, 220), 300, 400, false));
}

TEST(AspectTest, ToleranceIsAPercentageOfTheTargetRatio) {
  EXPECT_TRUE(aspectMatches(target(176, 220), 600, 800, false));    // 0.75 against 0.8
  EXPECT_FALSE(aspectMatches(target(176, 220), 800, 1200, false));  // 0.667
  EXPECT_TRUE(aspectMatches(target(176, 220), 800, 600, true));     // 1.333 against 1.25
  EXPECT_FALSE(aspectMatches(target(176, 220), 1200, 800, true));   // 1.5
  EXPECT_TRUE(aspectMatches(target(176, 220, 1), 352, 440, false));
  // A tolerance of 0 or below matches nothing, not even the exact ratio.
  EXPECT_FALSE(aspectMatches(target(176, 220, 0), 176, 220, false));
  EXPECT_FALSE(aspectMatches(target(176, 220, -5), 176, 220, false));
}

// Exactly on the tolerance is outside it: 1.5 lies 0.5 from 1, and 50 % of
// 1 is 0.5, both exact.
TEST(AspectTest, ADifferenceEqualToTheToleranceDoesNotMatch) {
  EXPECT_FALSE(aspectMatches(target(100, 100, 50), 150, 100, false));
  EXPECT_FALSE(aspectMatches(target(100, 100, 50), 150, 100, true));
  EXPECT_TRUE(aspectMatches(target(100, 100, 50), 149, 100, false));
}

TEST(AspectTest, ExtendedPrecisionDecidesOnTheBoundary) {
  EXPECT_TRUE(aspectMatches(target(176, 220), 880, 1000, false));
  EXPECT_TRUE(aspectMatches(target(176, 220), 720, 1000, false));
  // The second case is only a test of the precision if doubles decide it
  // the other way.
  const double ratio = 176.0 / 220.0;
  EXPECT_FALSE(std::fabs(720.0 / 1000.0 - ratio) < (10 * ratio) / 100);
  EXPECT_FALSE(aspectMatches(target(176, 220), 719, 1000, false));
  EXPECT_FALSE(aspectMatches(target(176, 220), 881, 1000, false));
}

TEST(Resampling, StraightPicksTheNearestSourcePixelRoundingHalvesToEven) {
  const PixelSurface source = patterned(9, 3);
  PixelSurface target = PixelSurface::create(6, 2);
  resampleStraight(source, target, {1.5, 1.5});
  const int columns[] = {0, 2, 3, 4, 6, 8};
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(target.getPixel(x, 0), colourAt(columns[x], 0)) << "column " << x;
    EXPECT_EQ(target.getPixel(x, 1), colourAt(columns[x], 2)) << "column " << x;
  }

  PixelSurface copy = PixelSurface::create(9, 3);
  resampleStraight(source, copy, {1.0, 1.0});
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 9; ++x) EXPECT_EQ(copy.getPixel(x, y), source.getPixel(x, y));
  }
}

TEST(Resampling, ClockwiseTurnPutsTheTopLeftCornerAtTheTopRight) {
  const PixelSurface source = patterned(220, 176);
  PixelSurface target = PixelSurface::create(176, 220);
  resampleTurned(source, target, {1.0, 1.0}, Turn::Right);
  EXPECT_EQ(target.getPixel(0, 0), colourAt(0, 175));  // bottom-left corner
  EXPECT_EQ(target.getPixel(175, 0), colourAt(0, 0));  // top-left corner
  EXPECT_EQ(target.getPixel(175, 219), colourAt(219, 0));
  for (int y = 0; y < 220; ++y) {
    for (int x = 0; x < 176; ++x) ASSERT_EQ(target.getPixel(x, y), colourAt(y, 175 - x));
  }
}

TEST(Resampling, CounterClockwiseTurnPutsTheTopLeftCornerAtTheBottomLeft) {
  const PixelSurface source = patterned(220, 176);
  PixelSurface target = PixelSurface::create(176, 220);
  resampleTurned(source, target, {1.0, 1.0}, Turn::Left);
  EXPECT_EQ(target.getPixel(0, 0), colourAt(219, 0));  // top-right corner
  EXPECT_EQ(target.getPixel(0, 219), colourAt(0, 0));  // top-left corner
  for (int y = 0; y < 220; ++y) {
    for (int x = 0; x < 176; ++x) ASSERT_EQ(target.getPixel(x, y), colourAt(219 - y, x));
  }
}

TEST(Resampling, TurningRightThenLeftGivesThePictureBack) {
  const PixelSurface source = patterned(40, 40);
  PixelSurface turned = PixelSurface::create(40, 40);
  PixelSurface back = PixelSurface::create(40, 40);
  resampleTurned(source, turned, {1.0, 1.0}, Turn::Right);
  resampleTurned(turned, back, {1.0, 1.0}, Turn::Left);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) ASSERT_EQ(back.getPixel(x, y), source.getPixel(x, y));
  }
}

TEST(Resampling, SamplesOutsideTheSourceComeOutBlack) {
  const PixelSurface source = patterned(4, 4);
  PixelSurface target = PixelSurface::create(3, 1);
  // Factors far beyond the source, also beyond the 32-bit range.
  resampleStraight(source, target, {3.0e9, 1.0});
  EXPECT_EQ(target.getPixel(0, 0), colourAt(0, 0));
  EXPECT_EQ(target.getPixel(1, 0), 0u);
  EXPECT_EQ(target.getPixel(2, 0), 0u);
}

// Fed row by row, the sampler must give the whole-picture sampling to the
// pixel: straight and both turns, shrinking by halves, odd factors, factors
// of exactly 1 and samples beyond every edge of the picture.
TEST(RowSampling, GivesTheWholePictureSamplingInEveryPlacement) {
  const PixelSurface source = patterned(37, 23);
  const std::vector<std::pair<int, int>> targets = {{12, 9}, {9, 12}, {37, 23}, {1, 1}, {5, 30}};
  const std::vector<ScaleFactors> factors = {{1.0, 1.0}, {2.0, 2.5},  {37.0 / 12, 23.0 / 9},
                                             {3.7, 1.3}, {-1.5, 2.0}, {6.0, 3.0e9}};
  for (const auto& [tw, th] : targets) {
    for (const ScaleFactors steps : factors) {
      for (const bool turned : {false, true}) {
        for (const Turn direction : {Turn::Left, Turn::Right}) {
          SCOPED_TRACE(
              std::to_string(tw) + "x" + std::to_string(th) + " steps " +
              std::to_string(steps.stepX) + "/" + std::to_string(steps.stepY) +
              (turned ? direction == Turn::Right ? " turned right" : " turned left" : " straight"));
          PixelSurface whole = PixelSurface::create(tw, th);
          if (turned) {
            resampleTurned(source, whole, steps, direction);
          } else {
            resampleStraight(source, whole, steps);
          }
          PixelSurface byRows = PixelSurface::create(tw, th);
          RowSampler sampler(byRows, source.width(), source.height(),
                             {turned ? direction : Turn::None, steps});
          for (int y = 0; y < source.height(); ++y) sampler.takeRow(y, source.row(y));
          for (int y = 0; y < th; ++y) {
            for (int x = 0; x < tw; ++x) ASSERT_EQ(byRows.getPixel(x, y), whole.getPixel(x, y));
          }
        }
      }
    }
  }
}

TEST(AntiAliasing, EachPixelTakesTheMeanOfItsNewLeftAndOldRightNeighbour) {
  PictureRole black = filledRole(4, 2, 0);
  antiAliasPass(true, black);
  const unsigned expected[] = {127, 63, 31, 143};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(black.surface().getPixel(x, y), makeColor(expected[x], expected[x], expected[x]));
    }
  }

  PictureRole red = filledRole(2, 1, makeColor(255, 0, 0));
  antiAliasPass(true, red);
  EXPECT_EQ(red.surface().getPixel(0, 0), makeColor(255, 127, 127));
  EXPECT_EQ(red.surface().getPixel(1, 0), makeColor(255, 191, 191));
}

TEST(AntiAliasing, EdgeCases) {
  PictureRole narrow = filledRole(1, 3, makeColor(1, 2, 3));
  antiAliasPass(true, narrow);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(narrow.surface().getPixel(0, y), White);

  PictureRole white = filledRole(5, 5, White);
  antiAliasPass(true, white);
  EXPECT_EQ(white.surface().getPixel(2, 2), White);

  PictureRole off = filledRole(3, 1, 0);
  antiAliasPass(false, off);
  EXPECT_EQ(off.surface().getPixel(0, 0), 0u);

  // A target without pixels is left as it is, not made.
  for (auto [width, height] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{-2, 5}}) {
    PictureRole empty;
    empty.prepare(width, height);
    antiAliasPass(true, empty);
    EXPECT_FALSE(empty.holdsSurface());
  }
}

}  // namespace
