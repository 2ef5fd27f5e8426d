// The plan of a run against the run itself: each photo alone, planned from
// its headers and then run, must come out as planned.
#include <gtest/gtest.h>

#include <functional>

#include "engine/Plan.h"
#include "image/Error.h"
#include "tests/support/Batch.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/PhotoFiles.h"
#include "tests/support/Surfaces.h"

using batchfit::PlannedOutcome;
using enginetest::Batch;
using enginetest::EditorAnswer;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Case {
  std::string what;
  std::string name;
  Bytes bytes;
  PlannedOutcome planned;
  std::function<void(batchfit::JobSettings&)> settings = [](batchfit::JobSettings&) {};
  std::string message = {};
};

// What the run did with its one photo, as the plan names it; a photo it
// wrote counts as the plan's own straight or turned (the output's pixels
// are other tests' business).
batchfit::PlannedPhoto runOutcome(Batch& batch, PlannedOutcome planned) {
  batch.frontEnd.script(EditorAnswer::skipIt());
  try {
    batch.run();
  } catch (const batchfit::Error& error) {
    // Where the run stops, the message tells why.
    return {batchfit::stopsTheRun(planned) ? planned : PlannedOutcome::Unreadable, error.what()};
  }
  if (!batch.outputs().empty()) return {planned, {}};
  if (!enginetest::callsStartingWith(batch.frontEnd, "edit").empty()) {
    return {PlannedOutcome::Editor, {}};
  }
  const std::vector<std::string>& lines = batch.frontEnd.messages;
  if (lines.size() == 1 && lines[0].ends_with("wrong aspect ratio!")) {
    return {PlannedOutcome::WrongAspect, {}};
  }
  if (lines.size() == 1 && lines[0].ends_with("too small size and can not be resized!")) {
    return {PlannedOutcome::TooSmall, {}};
  }
  return {PlannedOutcome::Unreadable, "nothing seen"};
}

}  // namespace

TEST(Plan, EveryPhotoComesOutOfTheRunAsPlanned) {
  using enum PlannedOutcome;
  const auto skip = [](batchfit::JobSettings& s) {
    s.mismatchAction = batchfit::MismatchAction::Skip;
  };
  const auto resizeAll = [](batchfit::JobSettings& s) { s.mode = batchfit::Mode::ResizeAll; };
  const auto editAll = [](batchfit::JobSettings& s) { s.mode = batchfit::Mode::EditAll; };
  const auto upright = [](batchfit::JobSettings& s) {
    s.exifOrientation = true;
    s.autoRotate = false;
  };
  const Bytes landscape = testpics::makeJpeg(800, 600);
  const auto otherFormats = [](batchfit::JobSettings& s) { s.otherFormats = true; };
  const Bytes png = photofiles::writePng(testpics::patterned(600, 800));
  photofiles::PngOptions turned;
  turned.orientation = 6;
  const Bytes turnedPng = photofiles::writePng(testpics::patterned(800, 600), turned);
  const std::vector<Case> cases = {
      {"fits straight", "a.jpg", testpics::makeJpeg(600, 800), Straight},
      {"fits turned", "a.jpg", landscape, Turned},
      {"fits turned, resize-all", "a.jpg", testpics::makeJpeg(1200, 600), Turned, resizeAll},
      {"does not fit", "a.jpg", testpics::makeJpeg(1200, 800), Editor},
      {"does not fit, skipped", "a.jpg", testpics::makeJpeg(1200, 800), WrongAspect, skip},
      {"edit-all", "a.jpg", testpics::makeJpeg(600, 800), Editor, editAll},
      {"too small", "a.jpg", testpics::makeJpeg(100, 300), TooSmall},
      {"a phone's portrait, upright", "a.jpg", crafted::withExifOrientation(landscape, 6), Straight,
       upright},
      {"a phone's portrait, as stored", "a.jpg", crafted::withExifOrientation(landscape, 6), Editor,
       [](batchfit::JobSettings& s) { s.autoRotate = false; }},
      {"a bitmap large enough",
       "a.bmp",
       crafted::makeBmp(300, 300),
       Unreadable,
       {},
       "JPEG error #53"},
      {"a bitmap too small", "a.bmp", crafted::makeBmp(30, 30), TooSmall},
      {"a PNG, other formats read", "a.png", png, Straight, otherFormats},
      {"a PNG, other formats not read",
       "a.PNG",
       png,
       Unreadable,
       {},
       "Unknown picture file extension (.PNG)"},
      {"a PNG's portrait, upright", "a.png", turnedPng, Straight,
       [](batchfit::JobSettings& s) { s.otherFormats = s.exifOrientation = true; }},
      {"a header cut short", "a.jpg", Bytes(landscape.begin(), landscape.begin() + 100),
       Unreadable},
      {"an empty file for a 0 x 0 target",
       "a.jpg",
       {},
       Unreadable,
       [](batchfit::JobSettings& s) { s.targetWidth = s.targetHeight = 0; },
       "JPEG error #42"},
      {"a target width of 0", "a.jpg", landscape, PictureSizeZero,
       [](batchfit::JobSettings& s) { s.targetWidth = 0; }, "Floating point division by zero"},
      {"a target width of 0 for a bitmap", "a.bmp", crafted::makeBmp(300, 300), Unreadable,
       [](batchfit::JobSettings& s) { s.targetWidth = 0; }, "JPEG error #53"},
      {"an unknown extension",
       "a.gif",
       landscape,
       Unreadable,
       {},
       "Unknown picture file extension (.gif)"},
  };
  for (const Case& c : cases) {
    Batch batch;
    batch.settings.jobs = 1;
    if (c.settings) c.settings(batch.settings);
    const std::string path = batch.addFile(c.name, c.bytes);
    const batchfit::PlannedPhoto planned = batchfit::planPhoto(batch.settings, path);
    EXPECT_EQ(planned.outcome, c.planned) << c.what;
    if (!c.message.empty()) {
      EXPECT_EQ(planned.message, c.message) << c.what;
    }
    EXPECT_TRUE(batch.outputs().empty()) << c.what << ": the plan wrote";
    const batchfit::PlannedPhoto ran = runOutcome(batch, planned.outcome);
    EXPECT_EQ(ran.outcome, planned.outcome) << c.what;
    EXPECT_EQ(ran.message, planned.message) << c.what;
  }
}

TEST(Plan, TheCountsNameWhatTheModeCanDo) {
  batchfit::PlanCounts counts;
  for (const PlannedOutcome outcome : {PlannedOutcome::Straight, PlannedOutcome::Straight,
                                       PlannedOutcome::TooSmall, PlannedOutcome::Unreadable}) {
    counts.add(outcome);
  }
  batchfit::JobSettings settings;
  EXPECT_EQ(batchfit::countsText(settings, counts),
            "4 photos: 2 scaled straight, 0 scaled turned, 0 to the editor, 1 too small, "
            "1 unreadable");
  settings.mismatchAction = batchfit::MismatchAction::Skip;
  EXPECT_EQ(batchfit::countsText(settings, counts),
            "4 photos: 2 scaled straight, 0 scaled turned, 0 wrong aspect ratio, 1 too small, "
            "1 unreadable");
  settings.mode = batchfit::Mode::EditAll;
  batchfit::PlanCounts one;
  one.add(PlannedOutcome::Editor);
  EXPECT_EQ(batchfit::countsText(settings, one),
            "1 photo: 1 to the editor, 0 too small, 0 unreadable");
  settings.targetHeight = 0;
  one.add(PlannedOutcome::PictureSizeZero);
  EXPECT_EQ(batchfit::countsText(settings, one),
            "2 photos: 1 to the editor, 0 too small, 0 unreadable, 1 picture size 0");
}
