// The Keen resizing and edit-all modes through the scripted front end.
#include <gtest/gtest.h>

#include "engine/Scaling.h"
#include "image/Error.h"
#include "tests/support/Batch.h"
#include "tests/support/ReferenceDecode.h"
#include "tests/support/WholeSampling.h"

using namespace batchfit;
using enginetest::Batch;
using enginetest::callsStartingWith;
using enginetest::EditorAnswer;
using enginetest::readBmp;
using enginetest::tooSmallLine;
using testpics::resampleStraight;
using testpics::resampleTurned;

namespace {

constexpr Mode Keen = Mode::Keen;
constexpr Mode EditAll = Mode::EditAll;

std::string wrongAspectLine(const std::string& path) {
  return "\"" + path + "\" was not resized, reason: wrong aspect ratio!";
}

Batch& bmpBatch(Batch& batch, Mode mode) {
  batch.settings.mode = mode;
  batch.settings.saveFormat = SaveFormat::Bmp;
  return batch;
}

// TI as a scaling of the photo in path with the given placement.
void expectScaledFrom(Batch& batch, const std::string& path, bool turned,
                      Turn direction = Turn::Left) {
  const PixelSurface picture = testpics::referenceDecode(testpics::readFile(path));
  const JobSettings& s = batch.settings;
  PixelSurface expected = PixelSurface::create(s.targetWidth, s.targetHeight);
  if (turned) {
    resampleTurned(picture, expected, turnedFactors(s, picture.width(), picture.height()),
                   direction);
  } else {
    resampleStraight(picture, expected, straightFactors(s, picture.width(), picture.height()));
  }
  const PixelSurface& result = batch.pictures.TI.surface();
  for (int y = 0; y < s.targetHeight; ++y) {
    for (int x = 0; x < s.targetWidth; ++x) {
      ASSERT_EQ(result.getPixel(x, y), expected.getPixel(x, y)) << x << "," << y;
    }
  }
}

// The written picture is the photo's 176 x 220 part at (left, top), as the
// run commits the editor's frame.
void expectFramedPart(const std::string& output, const std::string& photo, int left, int top) {
  const PixelSurface written = readBmp(output);
  const PixelSurface picture = testpics::referenceDecode(testpics::readFile(photo));
  for (int y = 0; y < 220; ++y) {
    for (int x = 0; x < 176; ++x) {
      ASSERT_EQ(written.getPixel(x, y), picture.getPixel(left + x, top + y)) << x << "," << y;
    }
  }
}

// A frame of the default target's size at (left, top).
SurfaceRect frameAt(int left, int top) {
  return {left, top, left + 176, top + 220};
}

TEST(KeenMode, MatchingPicturesAreScaledStraightOrTurnedWithoutTheEditor) {
  Batch portrait;
  const std::string portraitPath = portrait.addJpeg("portrait.jpg", 600, 800);
  portrait.run();
  EXPECT_TRUE(callsStartingWith(portrait.frontEnd, "edit").empty());
  EXPECT_TRUE(portrait.frontEnd.messages.empty());
  EXPECT_EQ(portrait.outputs(), std::vector<std::string>{"portrait.jpg"});
  expectScaledFrom(portrait, portraitPath, false);

  Batch landscape;
  const std::string landscapePath = landscape.addJpeg("landscape.jpg", 800, 600);
  landscape.run();
  EXPECT_TRUE(callsStartingWith(landscape.frontEnd, "edit").empty());
  EXPECT_EQ(landscape.outputs(), std::vector<std::string>{"landscape.jpg"});
  expectScaledFrom(landscape, landscapePath, true, Turn::Left);
}

TEST(KeenMode, MismatchGoesToTheEditorOrIntoTheReport) {
  Batch edited;
  bmpBatch(edited, Keen);
  const std::string wide = edited.addJpeg("wide.jpg", 1200, 800);
  edited.frontEnd.script(EditorAnswer::confirm(frameAt(100, 50)));
  edited.run();
  EXPECT_EQ(callsStartingWith(edited.frontEnd, "edit"), std::vector<std::string>{"edit 1200x800"});
  EXPECT_TRUE(edited.frontEnd.messages.empty());
  expectFramedPart(edited.output("wide.bmp"), wide, 100, 50);

  Batch reported;
  reported.settings.mismatchAction = MismatchAction::Skip;
  const std::string reportedWide = reported.addJpeg("wide.jpg", 1200, 800);
  const std::string tall = reported.addJpeg("tall.jpg", 800, 1200);
  reported.addJpeg("fits.jpg", 600, 800);
  reported.run();
  EXPECT_EQ(reported.frontEnd.messages,
            (std::vector<std::string>{wrongAspectLine(reportedWide), wrongAspectLine(tall)}));
  EXPECT_EQ(reported.outputs(), std::vector<std::string>{"fits.jpg"});
}

TEST(KeenMode, OnlyOneAspectTestIsMadePerPicture) {
  // 990 x 1000 is portrait like the target: at 22 % it fails the straight
  // test (|0.99 - 0.8| >= 0.176) though it would pass the turned one.
  Batch batch;
  batch.settings.aspectTolerance = 22;
  batch.settings.mismatchAction = MismatchAction::Skip;
  const std::string nearlySquare = batch.addJpeg("near.jpg", 990, 1000);
  batch.run();
  EXPECT_EQ(batch.frontEnd.messages, std::vector<std::string>{wrongAspectLine(nearlySquare)});
  EXPECT_TRUE(batch.outputs().empty());

  // Without autoRotate a landscape picture only gets the straight test.
  Batch straight;
  straight.settings.autoRotate = false;
  straight.addJpeg("landscape.jpg", 800, 600);
  straight.frontEnd.script(EditorAnswer::skipIt());
  straight.run();
  EXPECT_EQ(callsStartingWith(straight.frontEnd, "edit"), std::vector<std::string>{"edit 800x600"});
}

TEST(KeenMode, ToleranceZeroMatchesNothing) {
  Batch batch;
  batch.settings.aspectTolerance = 0;
  batch.settings.mismatchAction = MismatchAction::Skip;
  const std::string exact = batch.addJpeg("exact.jpg", 352, 440);
  batch.run();
  EXPECT_EQ(batch.frontEnd.messages, std::vector<std::string>{wrongAspectLine(exact)});
}

TEST(KeenMode, SquareTargetTurnsEveryMatchingPicture) {
  Batch batch;
  batch.settings.targetWidth = 200;
  batch.settings.targetHeight = 200;
  const std::string path = batch.addJpeg("square.jpg", 300, 300);
  batch.run();
  EXPECT_EQ(batch.outputs(), std::vector<std::string>{"square.jpg"});
  expectScaledFrom(batch, path, true, Turn::Left);
  // Counter-clockwise: the top-left pixel comes from the top-right corner.
  EXPECT_EQ(batch.pictures.TI.surface().getPixel(0, 0),
            testpics::referenceDecode(testpics::readFile(path)).getPixel(298, 0));
}

TEST(KeenMode, SkippedPictureIsNeitherWrittenNorReportedButStillSoftened) {
  Batch batch;
  bmpBatch(batch, Keen);
  batch.settings.antiAlias = true;
  // Black photos, so that the pass alone makes the numbers below.
  const auto black = testpics::makeJpeg(1200, 800, testpics::JpegKind::Baseline, [](int, int) {
    return testpics::Rgb{0, 0, 0};
  });
  batch.addFile("first.jpg", black);
  batch.addFile("second.jpg", black);
  batch.frontEnd.script(EditorAnswer::confirm());
  batch.frontEnd.script(EditorAnswer::skipIt());
  batch.run();
  EXPECT_EQ(batch.outputs(), std::vector<std::string>{"first.bmp"});
  EXPECT_TRUE(batch.frontEnd.messages.empty());
  // The written black picture went through the pass once (127, 63, ...); TI
  // went through it again after the SKIP: (63 + 255) / 2.
  EXPECT_EQ(readBmp(batch.output("first.bmp")).getPixel(0, 5), makeColor(127, 127, 127));
  EXPECT_EQ(batch.pictures.TI.surface().getPixel(0, 5), makeColor(159, 159, 159));
}

TEST(KeenMode, ZeroTargetSizes) {
  // With autoRotate on the factors come first: a width of 0 fails at once.
  Batch rotating;
  rotating.settings.targetWidth = 0;
  rotating.addJpeg("portrait.jpg", 600, 800);
  EXPECT_EQ(rotating.runMessage(), "Floating point division by zero");

  // Without it the straight test only divides by the height: a width of 0
  // matches nothing and the picture goes to the report.
  Batch straight;
  straight.settings.autoRotate = false;
  straight.settings.targetWidth = 0;
  straight.settings.mismatchAction = MismatchAction::Skip;
  const std::string path = straight.addJpeg("portrait.jpg", 600, 800);
  straight.run();
  EXPECT_EQ(straight.frontEnd.messages, std::vector<std::string>{wrongAspectLine(path)});

  Batch noHeight;
  noHeight.settings.autoRotate = false;
  noHeight.settings.targetHeight = 0;
  noHeight.addJpeg("portrait.jpg", 600, 800);
  EXPECT_THROW(noHeight.run(), Error);
}

TEST(EditAllMode, LabelsCountTheListPlaceWhenTheFirstFileIsTooSmall) {
  Batch batch;
  bmpBatch(batch, EditAll);
  const std::string small = batch.addJpeg("small.jpg", 50, 50);
  const std::string second = batch.addJpeg("second.jpg", 300, 400);
  const std::string third = batch.addJpeg("third.jpg", 640, 480);
  batch.frontEnd.script(EditorAnswer::confirm(frameAt(10, 20)));
  batch.frontEnd.script(EditorAnswer::confirm(frameAt(300, 40)));
  batch.run();

  std::vector<std::string> seen;
  for (const std::string& call : batch.frontEnd.calls) {
    if (call.rfind("progress", 0) == 0 || call.rfind("edit ", 0) == 0 ||
        call.rfind("message", 0) == 0) {
      seen.push_back(call);
    }
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"progress Picture 0 of 3", "progress Picture 2 of 3",
                                            "edit 300x400", "progress Picture 3 of 3",
                                            "edit 640x480", "message " + tooSmallLine(small)}));
  expectFramedPart(batch.output("second.bmp"), second, 10, 20);
  expectFramedPart(batch.output("third.bmp"), third, 300, 40);
}

TEST(EditAllMode, TargetKeepsThePreviousResultAfterSkip) {
  Batch batch;
  bmpBatch(batch, EditAll);
  const std::string first = batch.addJpeg("first.jpg", 300, 400);
  batch.addJpeg("second.jpg", 300, 400);
  batch.frontEnd.script(EditorAnswer::confirm(frameAt(50, 60)));
  batch.frontEnd.script(EditorAnswer::skipIt());
  batch.run();
  EXPECT_EQ(batch.outputs(), std::vector<std::string>{"first.bmp"});
  EXPECT_EQ(batch.pictures.TI.surface().getPixel(175, 219),
            testpics::referenceDecode(testpics::readFile(first)).getPixel(50 + 175, 60 + 219));

  Batch reversed;
  bmpBatch(reversed, EditAll);
  reversed.addJpeg("first.jpg", 300, 400);
  reversed.addJpeg("second.jpg", 300, 400);
  reversed.frontEnd.script(EditorAnswer::skipIt());
  reversed.frontEnd.script(EditorAnswer::confirm());
  reversed.run();
  EXPECT_EQ(reversed.outputs(), std::vector<std::string>{"second.bmp"});
}

TEST(EditAllMode, EveryFileTooSmallNeverShowsTheEditor) {
  Batch batch;
  bmpBatch(batch, EditAll);
  const std::string a = batch.addJpeg("a.jpg", 100, 100);
  const std::string b = batch.addJpeg("b.jpg", 175, 300);
  batch.run();
  EXPECT_TRUE(callsStartingWith(batch.frontEnd, "edit").empty());
  EXPECT_EQ(batch.frontEnd.messages, (std::vector<std::string>{tooSmallLine(a), tooSmallLine(b)}));
}

}  // namespace
