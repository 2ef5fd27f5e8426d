// Scaling pictures while they decode, and decoding ahead on worker threads,
// change nothing a user or a file can see: the same calls in the same order,
// the same outputs byte for byte, the same error at the same file as a run
// that decodes every picture whole, one at a time, at every number of jobs
// and in every mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "tests/support/Batch.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/Errors.h"
#include "tests/support/PhotoFiles.h"

namespace {

using batchfit::Turn;
using enginetest::Batch;
using enginetest::EditorAnswer;
using testpics::JpegKind;
constexpr batchfit::Mode Keen = batchfit::Mode::Keen;
constexpr batchfit::Mode ResizeAll = batchfit::Mode::ResizeAll;
constexpr batchfit::MismatchAction Skip = batchfit::MismatchAction::Skip;

struct Observed {
  std::vector<std::string> calls;
  std::string error;
  std::map<std::string, std::vector<std::uint8_t>> outputs;
  std::vector<batchfit::ColorRef> lastTarget;  // TI after the run
  std::vector<std::uint64_t> shownPixels;      // what the crop editor showed
};

// How the mixed batch is run, beyond the number of jobs.
struct Variant {
  batchfit::Mode mode = batchfit::Mode::Keen;
  bool autoRotate = true;
  batchfit::Turn rotateDirection = batchfit::Turn::Left;
  batchfit::MismatchAction mismatchAction = batchfit::MismatchAction::Edit;
  batchfit::SaveFormat saveFormat = batchfit::SaveFormat::Jpeg;
  // With "Camera Orientation" and "Convert to sRGB", and a photo that both turn.
  bool finished = false;
};

std::vector<batchfit::ColorRef> pixelsOf(batchfit::PictureRole& role) {
  std::vector<batchfit::ColorRef> pixels;
  if (!role.holdsSurface()) return pixels;
  const batchfit::PixelSurface& surface = role.surface();
  for (std::int32_t y = 0; y < surface.height(); ++y)
    pixels.insert(pixels.end(), surface.row(y), surface.row(y) + surface.width());
  return pixels;
}

testpics::Rgb other(int x, int y) {
  return {std::uint8_t(x * 3), std::uint8_t(y), 200};
}

// Chroma halved across only, and a restart marker after every row of blocks:
// the rows passed over must not upset either.
std::vector<std::uint8_t> subsampled422WithRestarts(int width, int height) {
  return testpics::makeColourJpeg(width, height, testpics::gradient, [](jpeg_compress_struct& c) {
    c.comp_info[0].h_samp_factor = 2;
    c.comp_info[0].v_samp_factor = 1;
    c.restart_in_rows = 1;
  });
}

// A mixed batch: too small, matching, progressive, gray, 4:2:2 with restart
// markers, mismatched (to the crop editor), optionally a bitmap that stops the run, and an output
// that replaces a later input of the same run.
Observed runMixed(int jobs, const Variant& variant, bool withError, bool decodingWhole = false) {
  Batch b;
  b.settings.jobs = jobs;
  b.settings.mode = variant.mode;
  b.settings.autoRotate = variant.autoRotate;
  b.settings.rotateDirection = variant.rotateDirection;
  b.settings.mismatchAction = variant.mismatchAction;
  b.settings.saveFormat = variant.saveFormat;
  b.settings.antiAlias = true;
  b.settings.exifOrientation = b.settings.toSrgb = variant.finished;
  if (variant.finished) {
    b.addFile("turned.jpg", photofiles::withJpegIccProfile(
                                crafted::withExifOrientation(testpics::makeJpeg(300, 400), 6),
                                photofiles::swappedRedGreenProfile()));
  }
  b.addJpeg("small.jpg", 100, 100);
  b.addJpeg("portrait.jpg", 300, 400);
  b.addJpeg("landscape.jpg", 400, 300, JpegKind::Progressive);
  b.addJpeg("gray.jpg", 240, 300, JpegKind::Gray);
  b.addJpeg("wide.jpg", 900, 300);
  b.addFile("restarts.jpg", subsampled422WithRestarts(331, 263));
  if (withError) b.addFile("fake.bmp", crafted::makeBmp(400, 400));
  b.addJpeg("later.jpg", 300, 400);
  b.addJpeg("tall.jpg", 800, 1200);
  // Made before the run; the run's output for in/later.jpg replaces it first.
  const std::string replaced = b.output("later.jpg");
  testpics::writeFile(replaced, testpics::makeJpeg(330, 400, JpegKind::Baseline, other));
  b.settings.files.push_back(replaced);
  b.frontEnd.script(EditorAnswer::confirm());
  b.frontEnd.script(EditorAnswer::skipIt());
  // Edit-all shows every picture that passes.
  for (int i = 0; i < 10; ++i) {
    b.frontEnd.script(i % 2 ? EditorAnswer::skipIt() : EditorAnswer::confirm({5, 7, 181, 227}));
  }

  Observed seen;
  seen.error = testpics::messageOf([&] { decodingWhole ? b.runDecodingWhole() : b.run(); });
  seen.calls = b.frontEnd.calls;
  seen.shownPixels = b.frontEnd.shownPixels;
  seen.lastTarget = pixelsOf(b.pictures.TI);
  for (const std::string& name : b.outputs())
    seen.outputs[name] = testpics::readFile(b.output(name));
  // Paths differ from run to run (fresh folders); compare them by name.
  for (std::string& call : seen.calls) {
    const auto at = call.find(b.dir.path().string());
    if (at != std::string::npos) call.replace(at, b.dir.path().string().size(), "<dir>");
  }
  return seen;
}

// The run at some number of jobs against the whole decode one at a time.
void expectSame(const Observed& whole, const Observed& many, int jobs) {
  EXPECT_EQ(whole.error, many.error) << jobs << " jobs";
  EXPECT_EQ(whole.calls, many.calls) << jobs << " jobs";
  EXPECT_EQ(whole.shownPixels, many.shownPixels)
      << "the crop editor's pictures, " << jobs << " jobs";
  EXPECT_TRUE(whole.lastTarget == many.lastTarget) << "TI after the run, " << jobs << " jobs";
  ASSERT_EQ(whole.outputs.size(), many.outputs.size()) << jobs << " jobs";
  for (const auto& [name, bytes] : whole.outputs) {
    EXPECT_TRUE(many.outputs.count(name) && many.outputs.at(name) == bytes)
        << name << " differs with " << jobs << " jobs";
  }
}

TEST(DecodeAhead, EveryNumberOfJobsGivesTheWholeDecodeRun) {
  for (batchfit::SaveFormat format : {batchfit::SaveFormat::Jpeg, batchfit::SaveFormat::Bmp}) {
    const Observed whole = runMixed(1, {.saveFormat = format}, false, true);
    EXPECT_EQ(whole.error, "(no error)");
    EXPECT_FALSE(whole.lastTarget.empty());
    for (int jobs : {1, 2, 4}) {
      expectSame(whole, runMixed(jobs, {.saveFormat = format}, false), jobs);
    }
  }
}

// The pictures that need no one (resize-all, a keen match) are scaled while
// they decode, the rest decoded whole: every mode and turn ends as a run
// that decodes them all whole.
TEST(DecodeAhead, EveryModeAndTurnGivesTheWholeDecodeRun) {
  const std::vector<Variant> variants = {
      {.mode = ResizeAll},
      {.mode = ResizeAll, .rotateDirection = Turn::Right},
      {.mode = ResizeAll, .autoRotate = false},
      {.mode = Keen, .autoRotate = false, .mismatchAction = Skip},
      {.mode = Keen, .rotateDirection = Turn::Right, .mismatchAction = Skip},
      {.mode = batchfit::Mode::EditAll},
      {.mode = batchfit::Mode::EditAll, .finished = true},
      {.mode = Keen, .finished = true},
  };
  for (const Variant& variant : variants) {
    SCOPED_TRACE("mode " + std::to_string(int(variant.mode)) +
                 (variant.finished ? ", EXIF, sRGB" : "") + ", turn " +
                 (!variant.autoRotate                      ? "off"
                  : variant.rotateDirection == Turn::Right ? "Right"
                                                           : "Left"));
    const Observed whole = runMixed(1, variant, false, true);
    EXPECT_EQ(whole.error, "(no error)");
    for (int jobs : {1, 2, 4}) expectSame(whole, runMixed(jobs, variant, false), jobs);
  }
}

TEST(DecodeAhead, AnErrorStopsAtTheSameFileWithTheSameOutputsBeforeIt) {
  for (batchfit::Mode mode : {Keen, ResizeAll}) {
    const Observed whole = runMixed(1, {.mode = mode}, true, true);
    EXPECT_EQ(whole.error, "JPEG error #53");
    EXPECT_EQ(whole.outputs.count("later.jpg"), 1u);  // made before the run, untouched
    EXPECT_EQ(whole.outputs.count("tall.jpg"), 0u);
    for (int jobs : {1, 2, 4}) expectSame(whole, runMixed(jobs, {.mode = mode}, true), jobs);
  }
}

TEST(DecodeAhead, AnInputReplacedByAnEarlierOutputIsReadAfterThatWrite) {
  // The replaced input now holds the 176 x 220 result, so it passes the size
  // test at exactly the target's size and is written once more; read early,
  // it would have been the 330 x 400 picture made before the run.
  const Observed one = runMixed(1, {}, false);
  const Observed four = runMixed(4, {}, false);
  EXPECT_NE(std::find(one.calls.begin(), one.calls.end(), "progress Picture 9 of 9"),
            one.calls.end());
  EXPECT_EQ(one.outputs.at("later.jpg"), four.outputs.at("later.jpg"));
}

// The later input is a second name (a hard link) of the file an earlier
// output replaces: it is the same file all the same, read after that write.
TEST(DecodeAhead, AnInputUnderASecondNameIsReadAfterTheOutputThatReplacesIt) {
  const auto outputOfSecondName = [](int jobs) {
    Batch b;
    b.settings.jobs = jobs;
    b.addJpeg("x.jpg", 300, 400);
    testpics::writeFile(b.output("x.jpg"), testpics::makeJpeg(330, 400, JpegKind::Baseline, other));
    std::filesystem::create_hard_link(b.output("x.jpg"), b.dir.file("h.jpg"));
    b.settings.files.push_back(b.dir.file("h.jpg"));
    b.run();
    return testpics::readFile(b.output("h.jpg"));
  };
  const std::vector<std::uint8_t> one = outputOfSecondName(1);
  for (int jobs : {2, 4}) EXPECT_TRUE(outputOfSecondName(jobs) == one) << jobs << " jobs";
}

}  // namespace
