#include <gtest/gtest.h>

#include "cli/CliOptions.h"

using batchfit::CliRequest;
using batchfit::parseCommandLine;
using batchfit::UsageError;

namespace {

batchfit::JobSettings parse(std::vector<std::string> args) {
  return parseCommandLine(args, 4).settings;
}

std::string usageMessage(std::vector<std::string> args) {
  try {
    parseCommandLine(args, 4);
  } catch (const UsageError& e) {
    return e.message;
  }
  return "(no error)";
}

}  // namespace

TEST(CliOptions, DefaultsMatchTheMainWindowWithMismatchesReported) {
  const auto s = parse({"a.jpg"});
  EXPECT_EQ(s.targetWidth, 176);
  EXPECT_EQ(s.targetHeight, 220);
  EXPECT_EQ(s.saveFormat, batchfit::SaveFormat::Jpeg);
  EXPECT_EQ(s.jpegQuality, 100);
  EXPECT_EQ(s.mode, batchfit::Mode::Keen);
  EXPECT_EQ(s.aspectTolerance, 10);
  EXPECT_EQ(s.mismatchAction, batchfit::MismatchAction::Skip);
  EXPECT_TRUE(s.autoRotate);
  EXPECT_EQ(s.rotateDirection, batchfit::Turn::Left);
  EXPECT_FALSE(s.antiAlias);
  EXPECT_FALSE(s.exifOrientation);
  EXPECT_FALSE(s.smoothScaling);
  EXPECT_EQ(s.outputPath, "/tmp/");
  EXPECT_EQ(s.jobs, 4);
  EXPECT_EQ(s.files, std::vector<std::string>{"a.jpg"});
}

TEST(CliOptions, EveryOptionInShortLongAndInlineForms) {
  const auto s =
      parse({"-o",          "out",      "--size=200x-5",   "-fbmp",     "--quality",
             "0",           "-m",       "resize-all",      "-t",        "-3",
             "--no-rotate", "-r",       "right",           "-a",        "--exif-orientation",
             "-j1",         "--smooth", "--other-formats", "--to-srgb", "x.jpg",
             "--",          "-y.jpg"});
  EXPECT_EQ(s.outputPath, "out/");
  EXPECT_EQ(s.targetWidth, 200);
  EXPECT_EQ(s.targetHeight, -5);
  EXPECT_EQ(s.saveFormat, batchfit::SaveFormat::Bmp);
  EXPECT_EQ(s.jpegQuality, 0);
  EXPECT_EQ(s.mode, batchfit::Mode::ResizeAll);
  EXPECT_EQ(s.aspectTolerance, -3);
  EXPECT_FALSE(s.autoRotate);
  EXPECT_EQ(s.rotateDirection, batchfit::Turn::Right);
  EXPECT_TRUE(s.antiAlias);
  EXPECT_TRUE(s.exifOrientation);
  EXPECT_TRUE(s.smoothScaling);
  EXPECT_TRUE(s.otherFormats);
  EXPECT_TRUE(s.toSrgb);
  EXPECT_EQ(s.jobs, 1);
  EXPECT_EQ(s.files, (std::vector<std::string>{"x.jpg", "-y.jpg"}));
}

TEST(CliOptions, FlagsBundleAndLongNamesMayBeShortened) {
  const auto s = parse({"-aj2", "--qual=7", "--no", "a"});
  EXPECT_TRUE(s.antiAlias);
  EXPECT_EQ(s.jobs, 2);
  EXPECT_EQ(s.jpegQuality, 7);
  EXPECT_FALSE(s.autoRotate);
}

TEST(CliOptions, SizeTakesACapitalXAndNumbersALeadingPlus) {
  const auto s = parse({"-s", "176X220", "--quality", "+5", "a"});
  EXPECT_EQ(s.targetWidth, 176);
  EXPECT_EQ(s.targetHeight, 220);
  EXPECT_EQ(s.jpegQuality, 5);
}

TEST(CliOptions, OutputFolderWithOrWithoutTrailingSlashIsTheSameFolder) {
  EXPECT_EQ(parse({"-o", "out", "a"}).outputPath, parse({"-o", "out/", "a"}).outputPath);
  EXPECT_EQ(parse({"--output", "/srv/x/", "a"}).outputPath, "/srv/x/");
}

TEST(CliOptions, HelpAndVersionNeedNoFiles) {
  EXPECT_EQ(parseCommandLine({"--dry-run", "--help"}, 1).action, CliRequest::Action::Help);
  EXPECT_TRUE(parseCommandLine({"--dry", "a"}, 1).dryRun);
  EXPECT_FALSE(parseCommandLine({"a"}, 1).dryRun);
  EXPECT_EQ(parseCommandLine({"-h"}, 1).action, CliRequest::Action::Help);
  EXPECT_EQ(parseCommandLine({"--version"}, 1).action, CliRequest::Action::Version);
}

TEST(CliOptions, UsageErrorsNameTheBadOptionOrValue) {
  EXPECT_EQ(usageMessage({}), "no picture files given");
  EXPECT_EQ(usageMessage({"--bogus", "a"}), "unknown option '--bogus'");
  EXPECT_EQ(usageMessage({"-z", "a"}), "unknown option '-z'");
  EXPECT_EQ(usageMessage({"a", "-q"}), "option --quality needs a value");
  EXPECT_EQ(usageMessage({"-q", "101", "a"}), "--quality must be between 0 and 100: '101'");
  EXPECT_EQ(usageMessage({"-q", "ten", "a"}), "invalid number for --quality: 'ten'");
  EXPECT_EQ(usageMessage({"-s", "176", "a"}), "invalid size for --size: '176'");
  EXPECT_EQ(usageMessage({"-s", "176x99999999999", "a"}),
            "invalid number for --size: '99999999999'");
  EXPECT_EQ(usageMessage({"-f", "png", "a"}), "invalid value for --format: 'png'");
  EXPECT_EQ(usageMessage({"-m", "edit-all", "a"}), "invalid value for --mode: 'edit-all'");
  EXPECT_EQ(usageMessage({"-r", "Right", "a"}), "invalid value for --rotate: 'Right'");
  EXPECT_EQ(usageMessage({"-j", "0", "a"}), "--jobs must be between 1 and 1024: '0'");
  EXPECT_EQ(usageMessage({"-o", "", "a"}), "empty folder for --output");
  EXPECT_EQ(usageMessage({"--report=", "a"}), "empty file name for --report");
  EXPECT_EQ(usageMessage({"--dry-run", "--report", "r.csv", "a"}), "--dry-run writes no report");
  EXPECT_EQ(usageMessage({"--antialias=yes", "a"}), "option --antialias takes no value");
}

TEST(CliOptions, BoundsAreInclusiveAtBothEnds) {
  EXPECT_EQ(parse({"-q", "0", "a"}).jpegQuality, 0);
  EXPECT_EQ(parse({"-q", "100", "a"}).jpegQuality, 100);
  EXPECT_EQ(parse({"-j", "1", "a"}).jobs, 1);
  EXPECT_EQ(parse({"-j", "1024", "a"}).jobs, 1024);
  EXPECT_EQ(usageMessage({"-q", "-1", "a"}), "--quality must be between 0 and 100: '-1'");
  EXPECT_EQ(usageMessage({"-j", "1025", "a"}), "--jobs must be between 1 and 1024: '1025'");
}
