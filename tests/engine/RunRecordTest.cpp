// What the run records of each file: the outcomes of the crop editor and of
// the report, a stop, and the CSV against the report lines. The windows and the
// command line test the totals and a run that an error stopped.
#include <gtest/gtest.h>

#include "engine/RunRecord.h"
#include "engine/RunTotals.h"
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

// An error during a file stops the run at it; one between files, at the
// next, unnamed. A carriage return alone makes a CSV field quoted.
TEST(RunRecord, AnErrorStopsAtTheFileTakenUpOrElseAtTheNext) {
  batchfit::RunRecord record;
  record.start(3);
  record.takeUp(1, "a\rb.jpg");
  record.finish(FileOutcome::TooSmall, "line");
  record.fail("boom");
  EXPECT_EQ(record.stoppedAt(), 2);
  EXPECT_EQ(record.files().back().file, "");
  const std::string csv =
      "file,outcome,reason,output path\r\n\"a\rb.jpg\",too small,line,\r\n,error,";
  EXPECT_EQ(batchfit::reportCsv(record).substr(0, csv.size()), csv);
  record.start(3);
  record.takeUp(2, "c.jpg");
  record.fail("boom");
  EXPECT_EQ(record.stoppedAt(), 2);
  EXPECT_EQ(record.files().back().file, "c.jpg");
  record.start(3);
  record.fail("boom");
  EXPECT_EQ(record.stoppedAt(), 1);
  EXPECT_EQ(record.files().back().file, "");
}

// A stop ends the run at the photo the user is at, as an error would, but
// without a box: the photos before it stay written, the report is not shown,
// and the record holds the photos up to that one.
TEST(RunRecord, StopInTheEditorOrDuringProgressEndsTheRunAtThatPhoto) {
  Batch batch;
  batch.settings.mode = batchfit::Mode::EditAll;
  const std::string small = batch.addJpeg("small.jpg", 100, 100);
  const std::string edited = batch.addJpeg("edited.jpg", 900, 300);
  const std::string shown = batch.addJpeg("shown.jpg", 900, 300);
  batch.addJpeg("after.jpg", 900, 300);
  batch.frontEnd.script(EditorAnswer::confirm());
  batch.frontEnd.script(EditorAnswer::stopIt());
  batch.run();
  EXPECT_EQ(batch.outputs(), (std::vector<std::string>{"edited.jpg"}));
  EXPECT_TRUE(batch.frontEnd.messages.empty());
  EXPECT_EQ(enginetest::callsStartingWith(batch.frontEnd, "edit").size(), 2u);
  const std::string csv = batchfit::reportCsv(batch.record);
  EXPECT_EQ(csv.substr(csv.find(edited)),
            edited + ",edited,," + batch.output("edited.jpg") + "\r\n" + shown + ",stopped,,\r\n");
  EXPECT_EQ(outcomes(batch.record).front(), FileOutcome::TooSmall);
  EXPECT_TRUE(batch.record.stoppedByUser());
  const std::string totals = batchfit::totalsText(batch.record);
  EXPECT_EQ(totals.substr(totals.rfind(";")), "; stopped at picture 3 of 4");

  // A close request on the main window while it shows the progress of a
  // picture that needs no one: that picture is not written either.
  Batch scaled;
  scaled.settings.mode = batchfit::Mode::ResizeAll;
  scaled.addJpeg("first.jpg", 300, 400);
  const std::string second = scaled.addJpeg("second.jpg", 300, 400);
  scaled.frontEnd.stopAtProgress(2);
  scaled.run();
  EXPECT_EQ(scaled.outputs(), (std::vector<std::string>{"first.jpg"}));
  EXPECT_EQ(outcomes(scaled.record),
            (std::vector<FileOutcome>{FileOutcome::Written, FileOutcome::Stopped}));
  EXPECT_EQ(scaled.record.files().back().file, second);
  EXPECT_EQ(scaled.record.stoppedAt(), 2);
}

}  // namespace
