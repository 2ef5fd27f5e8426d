// The totals shown after a run: the time to the nearest tenth on both sides
// of each carry, and the counts and the stop as the record holds them.
#include <gtest/gtest.h>

#include "engine/RunTotals.h"

using batchfit::durationText;
using batchfit::FileOutcome;
using std::chrono::milliseconds;

namespace {

TEST(RunTotals, TheTimeRoundsToTheNearestTenthAndCarriesIntoSecondsAndMinutes) {
  EXPECT_EQ(durationText(milliseconds(0)), "0:00.0");
  EXPECT_EQ(durationText(milliseconds(49)), "0:00.0");
  EXPECT_EQ(durationText(milliseconds(50)), "0:00.1");
  EXPECT_EQ(durationText(milliseconds(9'949)), "0:09.9");
  EXPECT_EQ(durationText(milliseconds(9'950)), "0:10.0");
  EXPECT_EQ(durationText(milliseconds(59'949)), "0:59.9");
  EXPECT_EQ(durationText(milliseconds(59'950)), "1:00.0");
  EXPECT_EQ(durationText(milliseconds(65'300)), "1:05.3");
  EXPECT_EQ(durationText(milliseconds(6'000'000)), "100:00.0");
}

// The time's line after "Took 0:00.0", as the record's clock left it.
std::string afterTheTime(const std::string& totals) {
  const std::size_t line = totals.find('\n');
  return totals.substr(0, line) + "|" + totals.substr(line + std::string("\nTook 0:00.0").size());
}

TEST(RunTotals, WrittenComeFirstThenTheTrashAndTheFileAnErrorStoppedAt) {
  batchfit::RunRecord record;
  record.start(6);
  record.takeUp(1, "a.jpg");
  record.finish(FileOutcome::Written, {}, "/out/a.jpg");
  record.takeUp(2, "b.jpg");
  record.finish(FileOutcome::TooSmall, "too small");
  record.takeUp(3, "c.jpg");
  record.finish(FileOutcome::Edited, {}, "/photos/c.jpg", true);
  record.takeUp(4, "d.jpg");
  record.finish(FileOutcome::SkippedByUser);
  const std::string counts =
      "Written 2: 1 scaled, 1 edited; skipped by the user 1; wrong aspect ratio 0; too small 1";
  EXPECT_EQ(afterTheTime(batchfit::totalsText(record)),
            counts + "|; 1 original moved to the trash");

  record.takeUp(5, "/photos/e.jpg");
  record.finish(FileOutcome::Written, {}, "/photos/e.jpg", true);
  record.takeUp(6, "/photos/f.bmp");
  record.fail("JPEG error #53");
  EXPECT_EQ(afterTheTime(batchfit::totalsText(record)),
            "Written 3: 2 scaled, 1 edited; skipped by the user 1; wrong aspect ratio 0; too small "
            "1|; 2 originals moved to the trash; stopped by an error at picture 6 of 6 "
            "(/photos/f.bmp)");

  // Nothing trashed, and an error between two files: the picture alone.
  record.start(2);
  record.takeUp(1, "a.jpg");
  record.finish(FileOutcome::Written, {}, "/out/a.jpg");
  record.fail("Out of system resources");
  EXPECT_EQ(afterTheTime(batchfit::totalsText(record)),
            "Written 1: 1 scaled, 0 edited; skipped by the user 0; wrong aspect ratio 0; too small "
            "0|; stopped by an error at picture 2 of 2");
}

}  // namespace
