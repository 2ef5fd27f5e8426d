// What the run records of each file: the outcomes and their counts, the CSV
// against the report lines, and a run that an error stopped.
#include <gtest/gtest.h>

#include "engine/RunRecord.h"
#include "image/Error.h"
#include "tests/engine/Batch.h"

using batchfit::FileOutcome;
using batchfit::FileRecord;
using enginetest::Batch;
using enginetest::EditorAnswer;

namespace {

std::vector<FileOutcome> outcomes(const batchfit::RunRecord& record) {
  std::vector<FileOutcome> all;
  for (const FileRecord& file : record.files()) all.push_back(file.outcome);
  return all;
}

std::vector<std::string> reasons(const batchfit::RunRecord& record) {
  std::vector<std::string> all;
  for (const FileRecord& file : record.files()) {
    if (!file.reason.empty()) all.push_back(file.reason);
  }
  return all;
}

TEST(RunRecord, EachFileHasItsOutcomeAndTheCsvCarriesTheReportLinesAsShown) {
  Batch batch;
  const std::string fits = batch.addJpeg("fits.jpg", 300, 400);
  // A name with a comma, quotes and a line break: quoted, quotes doubled.
  const std::string odd = batch.addJpeg("small, \"odd\"\nname.jpg", 100, 100);
  const std::string edited = batch.addJpeg("edited.jpg", 900, 300);
  const std::string passed = batch.addJpeg("passed.jpg", 900, 300);
  batch.frontEnd.script(EditorAnswer::confirm(batchfit::makeColor(1, 2, 3)));
  batch.frontEnd.script(EditorAnswer::skipIt());
  batch.run();

  const batchfit::RunRecord& record = batch.record;
  EXPECT_EQ(outcomes(record),
            (std::vector<FileOutcome>{FileOutcome::Written, FileOutcome::TooSmall,
                                      FileOutcome::Edited, FileOutcome::SkippedByUser}));
  EXPECT_EQ(reasons(record), batch.frontEnd.messages);
  const std::string in = batch.dir.file("in/");
  EXPECT_EQ(batchfit::reportCsv(record),
            "file,outcome,reason,output path\r\n" + fits + ",written,," + batch.output("fits.jpg") +
                "\r\n\"" + in + "small, \"\"odd\"\"\nname.jpg\",too small,\"\"\"" + in +
                "small, \"\"odd\"\"\nname.jpg\"\" has too small size and can not be "
                "resized!\",\r\n" +
                edited + ",edited,," + batch.output("edited.jpg") + "\r\n" + passed +
                ",skipped by the user,,\r\n");
  EXPECT_EQ(record.count(FileOutcome::TooSmall), 1);
  EXPECT_EQ(record.stoppedAt(), 0);

  // A new run forgets the last one; mismatches reported count as such.
  batch.settings.mismatchAction = batchfit::MismatchAction::Skip;
  batch.frontEnd.messages.clear();
  batch.run();
  EXPECT_EQ(outcomes(record), (std::vector<FileOutcome>{FileOutcome::Written, FileOutcome::TooSmall,
                                                        FileOutcome::WrongAspectRatio,
                                                        FileOutcome::WrongAspectRatio}));
  EXPECT_EQ(reasons(record), batch.frontEnd.messages);
  EXPECT_EQ(record.count(FileOutcome::WrongAspectRatio), 2);
  EXPECT_EQ(record.count(FileOutcome::Edited), 0);
}

TEST(RunRecord, ARunStoppedByAnErrorHoldsTheFilesDoneAndTheFailingOne) {
  Batch batch;
  batch.settings.mode = batchfit::Mode::ResizeAll;
  const std::string first = batch.addJpeg("first.jpg", 300, 400);
  const std::string fake = batch.addFile("fake.bmp", testpics::makeBmp(400, 400));
  batch.addJpeg("after.jpg", 300, 400);
  EXPECT_THROW(batch.run(), batchfit::Error);
  batch.record.fail("JPEG error #53");

  EXPECT_EQ(batch.record.stoppedAt(), 2);
  EXPECT_EQ(batch.record.listed(), 3);
  EXPECT_EQ(batchfit::reportCsv(batch.record), "file,outcome,reason,output path\r\n" + first +
                                                   ",written,," + batch.output("first.jpg") +
                                                   "\r\n" + fake + ",error,JPEG error #53.,\r\n");
}

}  // namespace
