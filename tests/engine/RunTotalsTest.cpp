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

TEST(RunTotals, TheCountsFollowTheRecordAndAnErrorNamesThePictureItStoppedAt) {
  batchfit::RunRecord record;
  record.start(5);
  record.takeUp(1, "a.jpg");
  record.finish(FileOutcome::Written);
  record.takeUp(2, "b.jpg");
  record.finish(FileOutcome::TooSmall, "too small");
  record.takeUp(3, "c.jpg");
  record.finish(FileOutcome::SkippedByUser);
  const std::string done = batchfit::totalsText(record);
  EXPECT_EQ(done.substr(0, done.find('\n')),
            "Written 1, edited 0, skipped by the user 1, wrong aspect ratio 0, too small 1");
  EXPECT_EQ(done.find("stopped"), std::string::npos);

  record.takeUp(4, "d.jpg");
  record.fail("JPEG error #53");
  const std::string stopped = batchfit::totalsText(record);
  EXPECT_TRUE(stopped.ends_with("; stopped by an error at picture 4 of 5")) << stopped;
}

}  // namespace
