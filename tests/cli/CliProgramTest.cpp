// Runs the real batchfit-cli program and compares its outputs with the engine's own run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>

#include "cli/CliOptions.h"
#include "cli/TerminalFrontEnd.h"
#include "engine/Run.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/TestPictures.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testpics::JpegKind;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string slurp(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = testpics::readFile(path);
  return {bytes.begin(), bytes.end()};
}

Outcome runCli(const std::vector<std::string>& args, const testpics::TempDir& scratch) {
  std::vector<std::string> all{BATCHFIT_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string out = scratch.file("stdout"), err = scratch.file("stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  Outcome outcome;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  outcome.out = slurp(out);
  outcome.err = slurp(err);
  return outcome;
}

class CliProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(in.path() / "in");
    fs::create_directory(out.path() / "cli");
    fs::create_directory(out.path() / "engine");
  }
  std::string input(const std::string& name, int w, int h, JpegKind kind = JpegKind::Baseline) {
    const std::string path = in.file("in/" + name);
    testpics::writeFile(path, testpics::makeJpeg(w, h, kind));
    return path;
  }
  testpics::TempDir in, out, scratch;
};

TEST_F(CliProgram, OutputsAreByteForByteThoseOfTheEngineRun) {
  const std::vector<std::string> files = {
      input("portrait.jpg", 300, 400), input("landscape.jpg", 420, 300, JpegKind::Progressive),
      input("gray.jpeg", 240, 300, JpegKind::Gray), input("wide.jpg", 600, 200)};
  for (const std::string format : {"jpg", "bmp"}) {
    for (const std::string jobs : {"1", "3"}) {
      for (const char* folder : {"cli", "engine"}) {
        fs::remove_all(out.path() / folder);
        fs::create_directory(out.path() / folder);
      }
      std::vector<std::string> args = {"-o", out.file("cli"), "-f", format, "-q",    "85",
                                       "-m", "resize-all",    "-a", "-r",   "right", "-j",
                                       jobs};
      args.insert(args.end(), files.begin(), files.end());
      const Outcome cli = runCli(args, scratch);
      ASSERT_EQ(cli.status, 0) << cli.err;

      batchfit::JobSettings settings = batchfit::parseCommandLine(args, 1).settings;
      settings.outputPath = out.file("engine") + "/";
      batchfit::TerminalFrontEnd frontEnd(stdout, nullptr);
      batchfit::WorkPictures pictures;
      batchfit::runBatch(settings, frontEnd, pictures);

      const auto names = testpics::fileNames(out.path() / "cli");
      ASSERT_EQ(names, testpics::fileNames(out.path() / "engine"));
      ASSERT_EQ(names.size(), 4u);
      for (const auto& name : names) {
        EXPECT_EQ(testpics::readFile(out.path() / "cli" / name),
                  testpics::readFile(out.path() / "engine" / name))
            << name << " as " << format << " with " << jobs << " jobs";
      }
    }
  }
}

TEST_F(CliProgram, ReportLinesGoToStandardOutputInOrderAndTheRunSucceeds) {
  const std::string small = input("small.jpg", 100, 100);
  const std::string wide = input("wide.jpg", 900, 300);
  const std::string fits = input("fits.jpg", 300, 375);
  const Outcome cli = runCli({"-o", out.file("cli"), small, wide, fits}, scratch);
  EXPECT_EQ(cli.status, 0);
  EXPECT_EQ(cli.out, "\"" + small + "\" has too small size and can not be resized!\n\"" + wide +
                         "\" was not resized, reason: wrong aspect ratio!\n");
  EXPECT_EQ(cli.err, "");  // not a terminal: no progress line
  EXPECT_EQ(testpics::fileNames(out.path() / "cli"), std::vector<std::string>{"fits.jpg"});
}

TEST_F(CliProgram, AnErrorStopsTheRunWithTheErrorBoxTextAndStatusOne) {
  const std::string first = input("first.jpg", 300, 400);
  const std::string fake = in.file("in/fake.bmp");
  testpics::writeFile(fake, crafted::makeBmp(400, 400));
  const std::string after = input("after.jpg", 300, 400);
  const std::string small = input("small.jpg", 10, 10);
  const Outcome cli = runCli({"-o", out.file("cli"), small, first, fake, after}, scratch);
  EXPECT_EQ(cli.status, 1);
  EXPECT_EQ(cli.err, "JPEG error #53.\n");
  EXPECT_EQ(cli.out, "");  // the collected report is not shown
  EXPECT_EQ(testpics::fileNames(out.path() / "cli"), std::vector<std::string>{"first.jpg"});
}

// The plan's counts against what the run over the same list then does: its
// outputs, its report lines and its status, with and without a file that
// stops it.
TEST_F(CliProgram, DryRunTellsWhatTheRunThenDoesAndWritesNothing) {
  const std::string phone = in.file("in/phone.jpg");
  testpics::writeFile(phone, crafted::withExifOrientation(testpics::makeJpeg(400, 300), 6, true));
  const std::string fake = in.file("in/fake.bmp");
  testpics::writeFile(fake, crafted::makeBmp(400, 400));
  const std::vector<std::string> files = {
      input("fits.jpg", 300, 375), input("turned.jpg", 375, 300), phone,
      input("wide.jpg", 900, 300), input("small.jpg", 100, 100)};
  const std::string plan = "scaled straight: " + files[0] + "\nscaled turned: " + files[1] +
                           "\nscaled straight: " + phone + "\nwrong aspect ratio: " + files[3] +
                           "\ntoo small: " + files[4] + "\n";
  std::vector<std::string> args = {"-o", out.file("cli"), "--exif-orientation"};
  args.insert(args.end(), files.begin(), files.end());

  args.insert(args.begin(), "--dry-run");
  Outcome dry = runCli(args, scratch);
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.out, plan +
                         "5 photos: 2 scaled straight, 1 scaled turned, 1 wrong aspect ratio, "
                         "1 too small, 0 unreadable\n");
  EXPECT_TRUE(fs::is_empty(out.path() / "cli"));
  args.erase(args.begin());
  Outcome run = runCli(args, scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(testpics::fileNames(out.path() / "cli"),
            (std::vector<std::string>{"fits.jpg", "phone.jpg", "turned.jpg"}));
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2);

  fs::remove_all(out.path() / "cli");
  fs::create_directory(out.path() / "cli");
  args.push_back(fake);
  args.insert(args.begin(), "--dry-run");
  dry = runCli(args, scratch);
  EXPECT_EQ(dry.status, 1);
  EXPECT_EQ(dry.out, plan + "unreadable: " + fake +
                         ": JPEG error #53.\n6 photos: 2 scaled straight, 1 scaled turned, 1 "
                         "wrong aspect ratio, 1 too small, 1 unreadable\n");
  EXPECT_TRUE(fs::is_empty(out.path() / "cli"));
  args.erase(args.begin());
  run = runCli(args, scratch);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "JPEG error #53.\n");
  EXPECT_EQ(testpics::fileNames(out.path() / "cli").size(), 3u);
}

TEST_F(CliProgram, UsageErrorsTouchNoFileAndExitWithTwo) {
  const std::string photo = input("photo.jpg", 300, 400);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-o", out.file("cli"), "-q", "200", photo},
        std::vector<std::string>{"-o", out.file("cli"), "--mode", "edit-all", photo},
        std::vector<std::string>{"-o", out.file("cli")}}) {
    const Outcome cli = runCli(args, scratch);
    EXPECT_EQ(cli.status, 2);
    EXPECT_NE(cli.err.find("batchfit-cli: "), std::string::npos);
    EXPECT_EQ(cli.out, "");
  }
  EXPECT_TRUE(fs::is_empty(out.path() / "cli"));
  EXPECT_EQ(runCli({"--help"}, scratch).out, batchfit::usageText());
  EXPECT_EQ(runCli({"--version"}, scratch).status, 0);
}

}  // namespace
