// What the run records of each file: the outcomes of the crop editor and of
// the report, and the CSV against the report lines. The windows and the
// command line test the totals and a run that an error stopped.
#include <gtest/gtest.h>

#include "engine/RunRecord.h"
#include "tests/support/Batch.h"

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
  batch.addJpeg("small, \"odd\"\nname.jpg", 100, 100);
  const std::string edited = batch.addJpeg("edited.jpg", 900, 300);
  const std::string passed = batch.addJpeg("passed.jpg", 900, 300);
  batch.frontEnd.script(EditorAnswer::confirm());
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
  EXPECT_EQ(record.count(FileOutcome::Edited), 1);
  EXPECT_EQ(record.stoppedAt(), 0);
}

}  // namespace
