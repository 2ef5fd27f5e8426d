// The run driver: run start, the per-file skeleton, the size test, the report
// and how errors end a run.
#include <gtest/gtest.h>

#include "engine/RunSkeleton.h"
#include "engine/Scaling.h"
#include "tests/support/Batch.h"
#include "tests/support/CraftedFiles.h"

using batchfit::JobSettings;
using enginetest::Batch;
using enginetest::target;
using enginetest::tooSmallLine;
using testpics::JpegKind;

namespace {

constexpr batchfit::Mode ResizeAll = batchfit::Mode::ResizeAll;

std::vector<std::string> runStart(int count) {
  return {"progress Picture 0 of " + std::to_string(count)};
}

std::vector<std::string> progress(int place, int count) {
  return {"progress Picture " + std::to_string(place) + " of " + std::to_string(count), "repaint"};
}

template <typename... Parts>
std::vector<std::string> joined(const Parts&... parts) {
  std::vector<std::string> all;
  (all.insert(all.end(), parts.begin(), parts.end()), ...);
  return all;
}

TEST(RunDriver, TooSmallFileLeavesAGapAndIsReportedAtTheEnd) {
  Batch batch;
  batch.settings.mode = ResizeAll;
  batch.settings.saveFormat = batchfit::SaveFormat::Bmp;
  batch.addJpeg("first.jpg", 300, 400);
  const std::string small = batch.addJpeg("small.jpg", 100, 100);
  batch.addJpeg("third.jpg", 176, 220);
  batch.run();

  // The too-small file shows no progress at all: the bars and labels jump
  // from 1 to 3.
  EXPECT_EQ(batch.frontEnd.calls,
            joined(runStart(3), progress(1, 3), progress(3, 3),
                   std::vector<std::string>{"message " + tooSmallLine(small)}));
  EXPECT_EQ(batch.outputs(), (std::vector<std::string>{"first.bmp", "third.bmp"}));
}

TEST(RunDriver, EmptyListOnlyStartsTheRunAndPreparesTheTarget) {
  Batch batch;
  batch.pictures.TI.setSurface(batchfit::PixelSurface::create(3, 3));
  batch.settings.targetWidth = 120;
  batch.settings.targetHeight = 90;
  batch.run();
  EXPECT_EQ(batch.frontEnd.calls, runStart(0));
  EXPECT_FALSE(batch.pictures.TI.holdsSurface());
  EXPECT_EQ(batch.pictures.TI.width(), 120);
  EXPECT_EQ(batch.pictures.TI.height(), 90);
}

TEST(RunDriver, UnknownModeTouchesNoFile) {
  // Item indexes the mode group does not have.
  for (int mode : {3, -1}) {
    Batch batch;
    batch.settings.mode = batchfit::modeAt(mode);
    batch.settings.files = {batch.dir.file("missing.jpg"), batch.dir.file("other.xyz")};
    EXPECT_NO_THROW(batch.run());
    EXPECT_EQ(batch.frontEnd.calls, runStart(2)) << "mode " << mode;
    EXPECT_TRUE(batch.outputs().empty());
  }
}

TEST(RunDriver, SamePathTwiceIsProcessedAndReportedTwice) {
  Batch batch;
  batch.settings.mode = ResizeAll;
  const std::string photo = batch.addJpeg("photo.jpg", 200, 300);
  const std::string small = batch.addJpeg("small.jpg", 20, 30);
  batch.settings.files = {photo, small, photo, small};
  batch.run();
  EXPECT_EQ(batch.frontEnd.labels,
            (std::vector<std::string>{"Picture 0 of 4", "Picture 1 of 4", "Picture 3 of 4"}));
  EXPECT_EQ(batch.frontEnd.messages,
            (std::vector<std::string>{tooSmallLine(small), tooSmallLine(small)}));
  EXPECT_EQ(batch.outputs(), (std::vector<std::string>{"photo.jpg"}));
}

TEST(RunDriver, BitmapPassingTheSizeTestEndsTheRunWithTheJpegError) {
  Batch batch;
  batch.settings.mode = ResizeAll;
  batch.addJpeg("small.jpg", 10, 10);
  batch.addJpeg("before.jpg", 300, 400);
  batch.addFile("picture.bmp", crafted::makeBmp(200, 300));
  batch.addJpeg("after.jpg", 300, 400);
  EXPECT_EQ(batch.runMessage(), "JPEG error #53");
  // Progress was shown for the bitmap; the collected line was not.
  EXPECT_EQ(batch.frontEnd.labels.back(), "Picture 3 of 4");
  EXPECT_TRUE(batch.frontEnd.messages.empty());
  EXPECT_EQ(batch.outputs(), (std::vector<std::string>{"before.jpg"}));
}

TEST(RunDriver, SmallBitmapOnlyAddsItsLine) {
  Batch batch;
  batch.settings.mode = ResizeAll;
  batch.addJpeg("before.jpg", 300, 400);
  const std::string bitmap = batch.addFile("picture.bmp", crafted::makeBmp(100, 150));
  batch.addJpeg("after.jpg", 300, 400);
  batch.run();
  EXPECT_EQ(batch.frontEnd.messages, std::vector<std::string>{tooSmallLine(bitmap)});
  EXPECT_EQ(batch.outputs(), (std::vector<std::string>{"after.jpg", "before.jpg"}));
}

TEST(RunDriver, ErrorsWhileLoadingEndTheRunBeforeAnyProgress) {
  Batch batch;
  batch.settings.mode = ResizeAll;
  batch.addJpeg("small.jpg", 10, 10);
  batch.settings.files.push_back(batch.dir.file("in/vanished.jpg"));
  batch.addJpeg("after.jpg", 300, 400);
  const std::string message = batch.runMessage();
  EXPECT_EQ(message.rfind("Cannot open file \"", 0), 0u) << message;
  EXPECT_EQ(batch.frontEnd.calls, runStart(3));
  EXPECT_TRUE(batch.outputs().empty());
}

TEST(RunDriver, ZeroTargetWidthEndsTheRunAtTheFirstPictureThatPasses) {
  Batch batch;
  batch.settings.mode = ResizeAll;
  batch.settings.targetWidth = 0;
  batch.addJpeg("square.jpg", 100, 100);  // turned test: 220 > 100, too small
  batch.addJpeg("portrait.jpg", 300, 400);
  EXPECT_EQ(batch.runMessage(), "Floating point division by zero");
  EXPECT_TRUE(batch.frontEnd.messages.empty());
  EXPECT_TRUE(batch.outputs().empty());
}

TEST(RunDriver, NegativeTargetSizeEndsTheRunInsteadOfWritingAnEmptyFile) {
  Batch batch;
  batch.settings.mode = ResizeAll;
  batch.settings.targetWidth = -3;
  batch.addJpeg("portrait.jpg", 300, 400);
  EXPECT_EQ(batch.runMessage(), "Out of system resources");
  EXPECT_TRUE(batch.outputs().empty());
}

TEST(SizeTest, OrientationDecidesStraightOrTurnedComparison) {
  testpics::TempDir dir;
  auto passes = [&](int width, int height, const JobSettings& settings) {
    const std::string path = dir.file("p.jpg");
    testpics::writeFile(path, testpics::makeJpeg(width, height));
    batchfit::PictureRole PI;
    return batchfit::loadAndTestSize(path, settings, PI);
  };
  EXPECT_TRUE(passes(200, 300, target(176, 220)));
  EXPECT_TRUE(passes(300, 200, target(176, 220)));
  EXPECT_FALSE(passes(300, 200, target(176, 220, 10, false)));
  EXPECT_TRUE(passes(176, 220, target(176, 220)));
  EXPECT_FALSE(passes(175, 220, target(176, 220)));
  EXPECT_FALSE(passes(220, 175, target(176, 220)));
  // A square target is never of the same orientation; turned equals straight.
  EXPECT_TRUE(passes(200, 200, target(200, 200)));
  EXPECT_FALSE(passes(200, 199, target(200, 200)));
  // A target size of 0 or below always passes on its side.
  EXPECT_TRUE(passes(8, 8, target(0, -5)));
}

TEST(SizeTest, SameOrientationNeedsBothStrictlyLandscapeOrPortrait) {
  using batchfit::sameOrientation;
  EXPECT_TRUE(sameOrientation(target(176, 220), 600, 800));
  EXPECT_TRUE(sameOrientation(target(220, 176), 800, 600));
  EXPECT_FALSE(sameOrientation(target(176, 220), 800, 600));
  // A square picture is of neither orientation, for either target.
  EXPECT_FALSE(sameOrientation(target(176, 220), 500, 500));
  EXPECT_FALSE(sameOrientation(target(220, 176), 500, 500));
  EXPECT_FALSE(sameOrientation(target(200, 200), 600, 800));
  EXPECT_FALSE(sameOrientation(target(200, 200), 800, 600));
}

}  // namespace
