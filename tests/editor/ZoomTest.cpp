#include <gtest/gtest.h>

#include <vector>

#include "editor/Zoom.h"
#include "tests/support/FrameGeometry.h"

using namespace batchfit;
using edittest::Geometry;
using edittest::geometryOf;

namespace {

const JobSettings defaults;
const PictureSize picture{1000, 900};

// The frame pressed at `from` on screen and dragged through `path`, then the
// handle pressed where it lies and dragged through the same path.
Geometry dragOnScreen(const Zoom& zoom, ScreenPoint from, const std::vector<ScreenPoint>& path) {
  CropFrame f;
  f.placeAtShow(picture, defaults);
  const PointerEvent press = framePointer(f, zoom, from, true);
  f.framePress(press.x, press.y);
  for (ScreenPoint at : path) f.frameMove(framePointer(f, zoom, at, true), picture);
  f.handlePress();
  for (ScreenPoint at : path) f.handleMove(handlePointer(f, zoom, at, true), picture, defaults);
  return geometryOf(f);
}

// The same at 100 %, on the picture pixels the zoom converts the places to.
Geometry dragConverted(const Zoom& zoom, ScreenPoint from, const std::vector<ScreenPoint>& path) {
  std::vector<ScreenPoint> converted;
  for (ScreenPoint at : path) converted.push_back({zoom.toPicture(at.x), zoom.toPicture(at.y)});
  return dragOnScreen(Zoom(), {zoom.toPicture(from.x), zoom.toPicture(from.y)}, converted);
}

}  // namespace

TEST(Zoom, ScreenAndPicturePixelsConvertExactly) {
  for (std::int64_t s = -5; s <= 5; ++s) {
    EXPECT_EQ(Zoom().toPicture(s), s);
    EXPECT_EQ(Zoom().toScreen(s), s);
  }
  const Zoom half(1, 2), twice(2, 1);
  EXPECT_EQ(half.toPicture(10), 20);
  EXPECT_EQ(half.toPicture(-1), -2);
  EXPECT_EQ(half.toScreen(21), 11);
  EXPECT_EQ(twice.toPicture(5), 2);
  EXPECT_EQ(twice.toPicture(-1), -1);
  EXPECT_EQ(twice.toScreen(3), 6);
  // Each picture pixel starts on screen where the conversion back first
  // reaches it (below 100 % some pixels are passed over on screen).
  for (const Zoom& zoom : {half, twice, Zoom(1280, 6000), Zoom(2, 3), Zoom(6, 1)}) {
    for (std::int64_t p = -50; p <= 200; ++p) {
      ASSERT_GE(zoom.toPicture(zoom.toScreen(p)), p) << zoom.percent();
      ASSERT_LT(zoom.toPicture(zoom.toScreen(p) - 1), p) << zoom.percent();
      if (zoom == twice || zoom == Zoom(6, 1)) {
        ASSERT_EQ(zoom.toPicture(zoom.toScreen(p)), p);
      }
    }
  }
}

TEST(Zoom, FitsThePictureAndStepsFromThere) {
  const Zoom fit = Zoom::toFit({6000, 4000}, {1280, 983});
  EXPECT_EQ(fit, Zoom(1280, 6000));
  EXPECT_EQ(fit.percent(), 21);
  // The percentage shown is rounded, halves up.
  EXPECT_EQ(Zoom(2, 3).percent(), 67);
  EXPECT_EQ(Zoom(1, 3).percent(), 33);
  EXPECT_EQ(Zoom(1, 200).percent(), 1);
  EXPECT_EQ(Zoom(1, 201).percent(), 0);
  EXPECT_EQ(Zoom::toFit({4000, 6000}, {1280, 983}), Zoom(983, 6000));
  EXPECT_EQ(Zoom::toFit({0, 0}, {1280, 983}), Zoom());
  // A photo comes up whole, but never larger than its own size.
  EXPECT_EQ(Zoom::atShow({6000, 4000}, {1280, 983}), fit);
  EXPECT_EQ(Zoom::atShow({1280, 600}, {1280, 983}), Zoom());
  EXPECT_EQ(Zoom::atShow({1279, 600}, {1280, 983}), Zoom());
  EXPECT_EQ(Zoom::atShow({1281, 600}, {1280, 983}), Zoom(1280, 1281));
  EXPECT_EQ(fit.in(), Zoom(1, 4));
  EXPECT_EQ(fit.out(), Zoom(1, 6));
  EXPECT_EQ(Zoom().in(), Zoom(2, 1));
  EXPECT_EQ(Zoom().out(), Zoom(2, 3));
  EXPECT_EQ(Zoom(8, 1).in(), Zoom(8, 1));
  EXPECT_EQ(Zoom(1, 20).out(), Zoom(1, 20));
  EXPECT_EQ(Zoom(1, 20).in(), Zoom(1, 16));
}

TEST(ZoomedFrame, DragsGiveTheFrameTheConvertedPositionsGiveAt100Percent) {
  const std::vector<ScreenPoint> path{{15, 23}, {61, 40}, {90, 117}, {33, 70}};
  for (const Zoom& zoom : {Zoom(1, 2), Zoom(2, 1), Zoom(1280, 6000)}) {
    EXPECT_EQ(dragOnScreen(zoom, {5, 7}, path), dragConverted(zoom, {5, 7}, path))
        << zoom.percent();
  }
  // Ten screen pixels are 20 picture pixels at 50 %, five at 200 %.
  CropFrame f;
  f.placeAtShow(picture, defaults);
  for (const auto& [zoom, moved] : {std::pair{Zoom(1, 2), 20}, {Zoom(2, 1), 5}}) {
    const PointerEvent press = framePointer(f, zoom, {40, 40}, true);
    f.framePress(press.x, press.y);
    const std::int32_t left = f.left();
    f.frameMove(framePointer(f, zoom, {50, 40}, true), picture);
    EXPECT_EQ(f.left() - left, moved);
  }
}

TEST(ZoomedFrame, ClampsHoldAtEveryZoom) {
  std::vector<Zoom> zooms{Zoom(1280, 6000)};
  for (Zoom z(1, 16); zooms.back() != z; z = z.in()) zooms.push_back(z);
  const std::vector<ScreenPoint> beyond{{5000, 5000}, {-5000, 300},   {700, 700},
                                        {300, -5000}, {-5000, -5000}, {2000, 100}};
  for (const Zoom& zoom : zooms) {
    const auto screen = [&](ScreenPoint p) {
      return ScreenPoint{zoom.toScreen(p.x), zoom.toScreen(p.y)};
    };
    CropFrame f;
    f.placeAtShow(picture, defaults);
    const auto inside = [&] {
      return f.left() >= 0 && f.top() >= 0 && f.left() + f.width() <= picture.width &&
             f.top() + f.height() <= picture.height;
    };
    const PointerEvent press = framePointer(f, zoom, screen({5, 5}), true);
    f.framePress(press.x, press.y);
    for (ScreenPoint p : beyond) {
      f.frameMove(framePointer(f, zoom, screen(p), true), picture);
      ASSERT_TRUE(inside()) << zoom.percent();
    }
    f.handlePress();
    for (ScreenPoint p : beyond) {
      f.handleMove(handlePointer(f, zoom, screen(p), true), picture, defaults);
      ASSERT_TRUE(inside()) << zoom.percent();
    }
  }
}

TEST(ZoomedFrame, HandleIsDrawnInTheCornerNeverSmallerThanAt100Percent) {
  CropFrame f;
  f.placeAtShow(picture, defaults);
  f.moveBy(100, 50, picture);
  EXPECT_EQ(handleOnScreen(f, Zoom()), (ScreenRect{266, 260, 276, 270}));
  EXPECT_EQ(handleOnScreen(f, Zoom(1, 4)), (ScreenRect{59, 58, 69, 68}));
  EXPECT_EQ(handleOnScreen(f, Zoom(2, 1)), (ScreenRect{532, 520, 552, 540}));
  EXPECT_EQ(frameOnScreen(f, Zoom(1, 4)), (ScreenRect{25, 13, 69, 68}));
}

// A 200 x 100 view over the shown picture, scrollable up to (800, 500).
TEST(ViewScroll, ShowsTheAreaWithTheLeastScrolling) {
  const ScreenPoint view{200, 100}, most{800, 500};
  const auto scrolled = [&](ScreenRect area, ScreenPoint at) {
    return scrollToShow(area, at, view, most);
  };
  // In view, to the last pixel: the view stays.
  EXPECT_EQ(scrolled({300, 200, 500, 300}, {300, 200}), (ScreenPoint{300, 200}));
  // One pixel out on either side: a pixel of scrolling.
  EXPECT_EQ(scrolled({299, 200, 499, 300}, {300, 200}), (ScreenPoint{299, 200}));
  EXPECT_EQ(scrolled({301, 201, 501, 301}, {300, 200}), (ScreenPoint{301, 201}));
  // Far away: just into view, at the edge it came from.
  EXPECT_EQ(scrolled({0, 0, 50, 50}, {600, 400}), (ScreenPoint{0, 0}));
  EXPECT_EQ(scrolled({700, 350, 750, 400}, {0, 0}), (ScreenPoint{550, 300}));
  // Larger than the view: a view wholly over it stays; else its nearer edge shows.
  EXPECT_EQ(scrolled({100, 100, 600, 400}, {150, 150}), (ScreenPoint{150, 150}));
  EXPECT_EQ(scrolled({100, 100, 600, 400}, {0, 0}), (ScreenPoint{100, 100}));
  EXPECT_EQ(scrolled({100, 100, 600, 400}, {700, 500}), (ScreenPoint{400, 300}));
  // Never past what the view can scroll to.
  EXPECT_EQ(scrolled({-50, 900, 10, 960}, {100, 100}), (ScreenPoint{0, 500}));
}
