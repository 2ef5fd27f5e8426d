// The settings as the main window's item indexes and direction text give them.
#include <gtest/gtest.h>

#include "engine/JobSettings.h"

using namespace batchfit;

namespace {

TEST(JobSettings, AnIndexOutsideTheItemsStillChoosesAndOnlyRightTurnsClockwise) {
  EXPECT_EQ(saveFormatAt(0), SaveFormat::Jpeg);
  EXPECT_EQ(saveFormatAt(7), SaveFormat::Bmp);
  EXPECT_EQ(mismatchActionAt(0), MismatchAction::Edit);
  EXPECT_EQ(mismatchActionAt(-1), MismatchAction::Skip);
  EXPECT_EQ(directionNamed("Right"), Turn::Right);
  for (const char* text : {"Left", "right", "Right ", ""}) {
    EXPECT_EQ(directionNamed(text), Turn::Left) << '"' << text << '"';
  }
}

}  // namespace
