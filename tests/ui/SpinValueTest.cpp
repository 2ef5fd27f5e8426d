// How a number box reads, clamps and steps its value.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "ui/SpinValue.h"

using batchfit::clampSpinValue;
using batchfit::parseSpinText;
using batchfit::readSpinValue;
using batchfit::stepSpinValue;

namespace {

constexpr std::int32_t Min32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t Max32 = std::numeric_limits<std::int32_t>::max();

TEST(SpinValue, ReadsDecimalAndHexadecimalNumbers) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"176", 176},
      {"   176", 176},
      {"+176", 176},
      {"-176", -176},
      {"$B0", 176},
      {"$b0", 176},
      {"xB0", 176},
      {"XB0", 176},
      {"0xB0", 176},
      {"0XB0", 176},
      {"-$B0", -176},
      {"  +0x10", 16},
      {"0", 0},
      {"-0", 0},
      {"007", 7},
      {"2147483647", Max32},
      {"-2147483648", Min32},
      {"$7FFFFFFF", Max32},
      {"$FFFFFFFF", -1},
      {"$80000000", Min32},
      {"-$FFFFFFFF", 1},
      {"$00000000000B0", 176},
  };
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(parseSpinText(text), value) << '"' << text << '"';
  }
}

TEST(SpinValue, TextThatIsNoNumberReadsAsTheMinimum) {
  const char* cases[] = {"17.6",
                         "17,6",
                         "abc",
                         "176 ",
                         "",
                         "   ",
                         "+",
                         "-",
                         "$",
                         "0x",
                         "x",
                         "+-5",
                         "--5",
                         "- 5",
                         "5-",
                         "1e3",
                         "\t176",
                         "$G0",
                         "0b101",
                         "2147483648",
                         "-2147483649",
                         "$100000000",
                         "99999999999999999999"};
  for (const char* text : cases) {
    EXPECT_FALSE(parseSpinText(text).has_value()) << '"' << text << '"';
    EXPECT_EQ(readSpinValue(text, 0), 0) << '"' << text << '"';
    EXPECT_EQ(readSpinValue(text, 7), 7) << '"' << text << '"';
  }
}

TEST(SpinValue, TextWithAnEmbeddedZeroCharacterIsNoNumber) {
  EXPECT_FALSE(parseSpinText(std::string("17\0"
                                         "6",
                                         4))
                   .has_value());
}

TEST(SpinValue, ClampsOnlyWhenTheBoundsDiffer) {
  EXPECT_EQ(clampSpinValue(101, 0, 100), 100);
  EXPECT_EQ(clampSpinValue(-1, 0, 100), 0);
  EXPECT_EQ(clampSpinValue(55, 0, 100), 55);
  EXPECT_EQ(clampSpinValue(-1, 0, 0), -1);
  EXPECT_EQ(clampSpinValue(Max32, 0, 0), Max32);
}

TEST(SpinValue, SteppingHoldsAtTheEndsOfTheRange) {
  EXPECT_EQ(stepSpinValue(0, -1), -1);
  EXPECT_EQ(stepSpinValue(Max32, 1), Max32);
  EXPECT_EQ(stepSpinValue(Min32, -1), Min32);
  EXPECT_EQ(stepSpinValue(Max32, -1), Max32 - 1);
}

}  // namespace
