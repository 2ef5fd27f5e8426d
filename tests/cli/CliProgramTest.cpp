// Runs the real batchfit-cli program and compares its outputs with the engine's own run
// and with a batch run in chunks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>

#include "cli/CliOptions.h"
#include "cli/TerminalFrontEnd.h"
#include "engine/Run.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/FakeFrontEnd.h"
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

// A batchfit-cli process under way, its standard output and error going to
// files named after `name` in scratch.
struct Started {
  pid_t pid = 0;
  std::string out, err;
};

Started startCli(const std::vector<std::string>& args, const testpics::TempDir& scratch,
                 const std::string& name = "std") {
  std::vector<std::string> all{BATCHFIT_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  Started started{0, scratch.file(name + "out"), scratch.file(name + "err")};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (auto [fd, path] : {std::pair{1, &started.out}, std::pair{2, &started.err}}) {
    posix_spawn_file_actions_addopen(&actions, fd, path->c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  if (posix_spawn(&started.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    started.pid = 0;
  }
  posix_spawn_file_actions_destroy(&actions);
  return started;
}

Outcome finishCli(const Started& started) {
  Outcome outcome;
  int status = 0;
  if (started.pid != 0 && waitpid(started.pid, &status, 0) == started.pid) {
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  outcome.out = slurp(started.out);
  outcome.err = slurp(started.err);
  return outcome;
}

Outcome runCli(const std::vector<std::string>& args, const testpics::TempDir& scratch) {
  return finishCli(startCli(args, scratch));
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
      batchfit::RunRecord record;
      batchfit::runBatch(settings, frontEnd, pictures, record);

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

TEST_F(CliProgram, AnErrorStopsTheRunWithTheErrorBoxTextAfterTheFileAsListedAndStatusOne) {
  const std::string first = input("first.jpg", 300, 400);
  const std::string fake = in.file("in/fake.bmp");
  testpics::writeFile(fake, crafted::makeBmp(400, 400));
  const std::string after = input("after.jpg", 300, 400);
  const std::string small = input("small.jpg", 10, 10);
  const std::string report = scratch.file("report.csv");
  const Outcome cli =
      runCli({"-o", out.file("cli"), "--report", report, small, first, fake, after}, scratch);
  EXPECT_EQ(cli.status, 1);
  EXPECT_EQ(cli.err, "batchfit-cli: " + fake + ": JPEG error #53.\n");
  EXPECT_EQ(cli.out, "");  // the collected report is not shown
  EXPECT_EQ(testpics::fileNames(out.path() / "cli"), std::vector<std::string>{"first.jpg"});
  // The report as CSV holds the files done and the one that stopped the run.
  EXPECT_EQ(slurp(report), "file,outcome,reason,output path\r\n" + small + ",too small,\"\"\"" +
                               small + "\"\" has too small size and can not be resized!\",\r\n" +
                               first + ",written,," + out.file("cli/first.jpg") + "\r\n" + fake +
                               ",error,JPEG error #53.,\r\n");
}

// A batch split into chunks, each run by a process of its own at the same
// time into one folder, as on several machines.
TEST_F(CliProgram, ChunksRunAsSeparateProcessesWriteWhatOneRunOverTheBatchWrites) {
  fs::create_directory(in.path() / "in2");
  const std::string sameAgain = in.file("in2/same.jpg");
  testpics::writeFile(sameAgain, testpics::makeJpeg(330, 420, JpegKind::Progressive));
  const std::vector<std::vector<std::string>> chunks = {
      {input("a.jpg", 300, 400), input("b.jpg", 400, 300, JpegKind::Progressive),
       input("small.jpg", 50, 50)},
      // Two photos whose outputs share a name stay in one chunk, in list order.
      {input("wide.jpg", 900, 300), input("same.jpg", 300, 400), sameAgain,
       input("gray.jpeg", 240, 300, JpegKind::Gray)},
      {input("c.jpg", 640, 480)}};
  const std::vector<std::string> settings = {"-q", "90", "-a", "-j", "2"};
  auto command = [&](const std::string& folder, const std::string& report) {
    std::vector<std::string> args = settings;
    args.insert(args.end(), {"-o", out.file(folder), "--report", scratch.file(report)});
    return args;
  };
  std::vector<std::string> whole = command("whole", "whole.csv");
  std::vector<Started> started;
  fs::create_directory(out.path() / "whole");
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    std::vector<std::string> args = command("cli", std::to_string(i) + ".csv");
    args.insert(args.end(), chunks[i].begin(), chunks[i].end());
    whole.insert(whole.end(), chunks[i].begin(), chunks[i].end());
    started.push_back(startCli(args, scratch, std::to_string(i)));
  }
  const Outcome one = runCli(whole, scratch);
  ASSERT_EQ(one.status, 0) << one.err;

  // Report lines and CSV lines come per chunk; in chunk order they are the whole run's.
  const std::string header = "file,outcome,reason,output path\r\n";
  std::string lines, csv = header;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const Outcome chunk = finishCli(started[i]);
    ASSERT_EQ(chunk.status, 0) << chunk.err;
    lines += chunk.out;
    const std::string chunkCsv = slurp(scratch.file(std::to_string(i) + ".csv"));
    ASSERT_EQ(chunkCsv.substr(0, header.size()), header);
    csv += chunkCsv.substr(header.size());
  }
  EXPECT_EQ(lines, one.out);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2);
  // The same but for the output folder.
  std::string wholeCsv = slurp(scratch.file("whole.csv"));
  for (std::size_t at = 0; (at = wholeCsv.find(out.file("whole"), at)) != std::string::npos;) {
    wholeCsv.replace(at, out.file("whole").size(), out.file("cli"));
  }
  EXPECT_EQ(csv, wholeCsv);

  const auto names = testpics::fileNames(out.path() / "cli");
  ASSERT_EQ(names, testpics::fileNames(out.path() / "whole"));
  ASSERT_EQ(names.size(), 5u);
  for (const auto& name : names) {
    EXPECT_EQ(testpics::readFile(out.path() / "cli" / name),
              testpics::readFile(out.path() / "whole" / name))
        << name;
  }
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
  EXPECT_EQ(run.err, "batchfit-cli: " + fake + ": JPEG error #53.\n");
  EXPECT_EQ(testpics::fileNames(out.path() / "cli").size(), 3u);
}

// Frames stored by the window's run with "Remember Frames", then used by
// batchfit-cli --frames, in keen and in edit-all mode and in the plan.
TEST_F(CliProgram, FramesCommitByteForByteWhatTheWindowCommitted) {
  const std::string wide = input("wide.jpg", 900, 300, JpegKind::Progressive);
  const std::string tall = input("tall.jpg", 300, 600);
  const std::string unframed = input("unframed.jpg", 500, 900);
  const std::string store = scratch.file("frames.sqlite");
  const std::vector<std::string> options = {"-q", "85", "-a", "-r", "right"};
  std::vector<std::string> args = options;
  args.insert(args.end(), {"-o", out.file("engine"), wide, tall});
  batchfit::JobSettings window = batchfit::parseCommandLine(args, 1).settings;
  window.mode = batchfit::Mode::EditAll;
  window.rememberFrames = batchfit::FrameMemory::Edit;
  window.framesFile = store;
  enginetest::FakeFrontEnd editor;
  editor.script(enginetest::EditorAnswer::confirm({500, 0, 875, 300}, true));
  editor.script(enginetest::EditorAnswer::confirm({30, 200, 270, 500}));
  batchfit::WorkPictures pictures;
  batchfit::RunRecord record;
  batchfit::runBatch(window, editor, pictures, record);
  ASSERT_EQ(testpics::fileNames(out.path() / "engine"),
            (std::vector<std::string>{"tall.jpg", "wide.jpg"}));

  const std::string csv = scratch.file("report.csv");
  for (const std::string mode : {"keen", "edit-all"}) {
    fs::remove_all(out.path() / "cli");
    fs::create_directory(out.path() / "cli");
    args = options;
    args.insert(args.end(), {"-o", out.file("cli"), "-m", mode, "--frames-file", store, "--report",
                             csv, wide, unframed, tall});
    const Outcome cli = runCli(args, scratch);
    ASSERT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(cli.err, "");
    const std::string reason = mode == "keen" ? "wrong aspect ratio" : "no remembered frame";
    const std::string line = "\"" + unframed + "\" was not resized, reason: " + reason + "!";
    EXPECT_EQ(cli.out, line + "\n");
    for (const std::string name : {"tall.jpg", "wide.jpg"}) {
      EXPECT_EQ(testpics::readFile(out.path() / "cli" / name),
                testpics::readFile(out.path() / "engine" / name))
          << name << " in " << mode;
    }
    EXPECT_EQ(slurp(csv), "file,outcome,reason,output path\r\n" + wide + ",edited (remembered),," +
                              out.file("cli/wide.jpg") + "\r\n" + unframed + "," + reason +
                              ",\"\"\"" + unframed + "\"\"" + line.substr(unframed.size() + 2) +
                              "\",\r\n" + tall + ",edited (remembered),," +
                              out.file("cli/tall.jpg") + "\r\n");
  }
  const Outcome plan = runCli({"--dry-run", "--frames-file", store, wide, unframed, tall}, scratch);
  EXPECT_EQ(plan.out, "edited (remembered): " + wide + "\nwrong aspect ratio: " + unframed +
                          "\nedited (remembered): " + tall +
                          "\n3 photos: 0 scaled straight, 0 scaled turned, 2 edited (remembered), "
                          "1 wrong aspect ratio, 0 too small, 0 unreadable\n");
}

TEST_F(CliProgram, DryRunWarnsBeforeTheCounts) {
  const std::string photo = input("photo.jpg", 300, 400);
  const std::string line = "scaled straight: " + photo + "\n";
  const std::string counts =
      "1 photo: 1 scaled straight, 0 scaled turned, 0 wrong aspect ratio, 0 too small, "
      "0 unreadable\n";
  const std::string missing = out.file("missing") + "/";
  EXPECT_EQ(runCli({"--dry-run", "-o", missing, photo}, scratch).out,
            line + "warning: Output folder " + missing + " does not exist\n" + counts);
  EXPECT_EQ(runCli({"--dry-run", "-o", in.file("in"), photo}, scratch).out,
            line +
                "warning: 1 listed photo would be replaced by its own result (moved to the trash "
                "first)\n" +
                counts);
  EXPECT_EQ(runCli({"--dry-run", "-o", out.file("cli"), photo}, scratch).out, line + counts);
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
