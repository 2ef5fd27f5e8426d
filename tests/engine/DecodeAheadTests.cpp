// Decoding ahead on worker threads changes nothing a user or a file can see:
// the same calls in the same order, the same outputs byte for byte, the same
// error at the same file, at every number of jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "Batch.h"
#include "Error.h"

namespace {

using enginetest::Batch;
using enginetest::EditorAnswer;
using testpics::JpegKind;

struct Observed {
  std::vector<std::string> calls;
  std::string error;
  std::map<std::string, std::vector<std::uint8_t>> outputs;
};

testpics::Rgb other(int x, int y) {
  return {std::uint8_t(x * 3), std::uint8_t(y), 200};
}

// A mixed batch: too small, matching, progressive, gray, mismatched (to the
// crop editor), optionally a bitmap that stops the run, and an output that
// replaces a later input of the same run.
Observed runMixed(int jobs, int saveFormat, bool withError) {
  Batch b;
  b.settings.jobs = jobs;
  b.settings.saveFormat = saveFormat;
  b.settings.antiAlias = true;
  b.addJpeg("small.jpg", 100, 100);
  b.addJpeg("portrait.jpg", 300, 400);
  b.addJpeg("landscape.jpg", 400, 300, JpegKind::Progressive);
  b.addJpeg("gray.jpg", 240, 300, JpegKind::Gray);
  b.addJpeg("wide.jpg", 900, 300);
  if (withError) b.addFile("fake.bmp", testpics::makeBmp(400, 400));
  b.addJpeg("later.jpg", 300, 400);
  b.addJpeg("tall.jpg", 800, 1200);
  // Made before the run; the run's output for in/later.jpg replaces it first.
  const std::string replaced = b.output("later.jpg");
  testpics::writeFile(replaced, testpics::makeJpeg(330, 400, JpegKind::Baseline, other));
  b.settings.files.push_back(replaced);
  b.frontEnd.script(EditorAnswer::confirm(0x00123456));
  b.frontEnd.script(EditorAnswer::skipIt());

  Observed seen;
  try {
    b.run();
  } catch (const batchfit::Error& e) {
    seen.error = e.what();
  }
  seen.calls = b.frontEnd.calls;
  for (const std::string& name : b.outputs())
    seen.outputs[name] = testpics::readFile(b.output(name));
  // Paths differ from run to run (fresh folders); compare them by name.
  for (std::string& call : seen.calls) {
    const auto at = call.find(b.dir.path().string());
    if (at != std::string::npos) call.replace(at, b.dir.path().string().size(), "<dir>");
  }
  return seen;
}

void expectSame(const Observed& one, const Observed& many, int jobs) {
  EXPECT_EQ(one.error, many.error) << jobs << " jobs";
  EXPECT_EQ(one.calls, many.calls) << jobs << " jobs";
  ASSERT_EQ(one.outputs.size(), many.outputs.size()) << jobs << " jobs";
  for (const auto& [name, bytes] : one.outputs) {
    EXPECT_TRUE(many.outputs.count(name) && many.outputs.at(name) == bytes)
        << name << " differs with " << jobs << " jobs";
  }
}

TEST(DecodeAhead, EveryNumberOfJobsGivesTheOneAtATimeRun) {
  for (int format : {0, 1}) {
    const Observed one = runMixed(1, format, false);
    EXPECT_EQ(one.error, "");
    for (int jobs : {2, 4}) expectSame(one, runMixed(jobs, format, false), jobs);
  }
}

TEST(DecodeAhead, AnErrorStopsAtTheSameFileWithTheSameOutputsBeforeIt) {
  const Observed one = runMixed(1, 0, true);
  EXPECT_EQ(one.error, "JPEG error #53");
  EXPECT_EQ(one.outputs.count("later.jpg"), 1u);  // made before the run, untouched
  EXPECT_EQ(one.outputs.count("tall.jpg"), 0u);
  for (int jobs : {2, 4}) expectSame(one, runMixed(jobs, 0, true), jobs);
}

TEST(DecodeAhead, AnInputReplacedByAnEarlierOutputIsReadAfterThatWrite) {
  // The replaced input now holds the 176 x 220 result, so it passes the size
  // test at exactly the target's size and is written once more; read early,
  // it would have been the 330 x 400 picture made before the run.
  const Observed one = runMixed(1, 0, false);
  const Observed four = runMixed(4, 0, false);
  EXPECT_NE(std::find(one.calls.begin(), one.calls.end(), "label main Picture 8 of 8"),
            one.calls.end());
  EXPECT_EQ(one.outputs.at("later.jpg"), four.outputs.at("later.jpg"));
}

}  // namespace
