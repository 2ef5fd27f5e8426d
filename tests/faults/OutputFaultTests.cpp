// Outputs that cannot be written: the run stops at the right file with the
// exact message, the earlier outputs stay intact, nothing short is left
// behind as if written, and the next run works.
#include <jerror.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "CraftedFiles.h"
#include "FaultRun.h"

namespace faults {
namespace {

namespace fs = std::filesystem;

struct Format {
  int saveFormat;
  const char* extension;
};
constexpr Format Formats[] = {{0, ".jpg"}, {1, ".bmp"}};

class OutputFaults : public FaultRunTest {
 protected:
  // first, small, second, third: the fault is set up at second's output.
  Outcome runFour(int saveFormat) {
    first = input("first.jpg", goodJpeg(1));
    return run(settings({first, input("small.jpg", smallJpeg()), input("second.jpg", goodJpeg(2)),
                         input("third.jpg", goodJpeg(3))},
                        saveFormat));
  }

  std::string outputPath(const std::string& stem, const Format& format) const {
    return (out / (stem + format.extension)).string();
  }

  // first's output is there, exactly as a run over first alone writes it.
  void expectFirstIntact(const Format& format) {
    EXPECT_EQ(output(std::string("first") + format.extension),
              referenceOutput(first, format.saveFormat));
    EXPECT_FALSE(fs::exists(outputPath("third", format)));
  }

  std::string first;
};

TEST_P(OutputFaults, MissingOutputFolderStopsTheRunAtTheFirstWrite) {
  fs::remove(out);
  for (const Format& format : Formats) {
    SCOPED_TRACE(format.extension);
    const Outcome outcome =
        run(settings({input("small.jpg", smallJpeg()), input("first.jpg", goodJpeg(1)),
                      input("second.jpg", goodJpeg(2))},
                     format.saveFormat));
    expectStopped(
        outcome,
        "Cannot create file \"" + outputPath("first", format) + "\". No such file or directory",
        "Picture 2 of 3");
    EXPECT_FALSE(fs::exists(out));
  }
  expectGoodRunAfterwards();
}

TEST_P(OutputFaults, OutputPathThatIsAFolderStopsTheRunAtIt) {
  for (const Format& format : Formats) {
    SCOPED_TRACE(format.extension);
    fs::create_directory(outputPath("second", format));
    const Outcome outcome = runFour(format.saveFormat);
    expectStopped(outcome,
                  "Cannot create file \"" + outputPath("second", format) + "\". Is a directory",
                  "Picture 3 of 4");
    expectFirstIntact(format);
    EXPECT_TRUE(fs::is_empty(outputPath("second", format)));
  }
  expectGoodRunAfterwards();
}

// The output name is made from the input's own name, so the full device is
// reached through a link in the output folder.
TEST_P(OutputFaults, FullDeviceStopsTheRunWithAWriteError) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  for (const Format& format : Formats) {
    SCOPED_TRACE(format.extension);
    fs::create_symlink("/dev/full", outputPath("second", format));
    const Outcome outcome = runFour(format.saveFormat);
    expectStopped(outcome, "Stream write error", "Picture 3 of 4");
    expectFirstIntact(format);
    // Whatever is left at that name is not a short file passing for an output.
    EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(outputPath("second", format))));
  }
  expectGoodRunAfterwards();
}

// Caps the size of files this process may write, as a full disk would stop
// a regular file: writes beyond the cap fail instead of raising a signal.
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &cap);
  }
  ~FileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

// A new file the disk could not take in full is removed, not left short.
TEST_P(OutputFaults, FullDiskLeavesNoShortOutputBehind) {
  const std::string small = input("small.jpg", smallJpeg());
  const std::string second = input("second.jpg", goodJpeg(2));
  for (const Format& format : Formats) {
    SCOPED_TRACE(format.extension);
    Outcome outcome;
    {
      const FileSizeCap cap(1000);
      outcome = run(settings({small, second}, format.saveFormat));
    }
    expectStopped(outcome, "Stream write error", "Picture 2 of 2");
    EXPECT_TRUE(outputs().empty());
  }
  expectGoodRunAfterwards();
}

// An output that would replace a file, its own input above all, and that the
// disk cannot take leaves that file as it was: the user's photo is not lost.
TEST_P(OutputFaults, FullDiskKeepsTheFileAnOutputWouldReplace) {
  const Bytes picture = goodJpeg(5);
  testpics::writeFile(out / "own.jpg", picture);
  Outcome outcome;
  {
    const FileSizeCap cap(1000);
    outcome = run(settings({(out / "own.jpg").string()}));
  }
  expectStopped(outcome, "Stream write error", "Picture 1 of 1");
  EXPECT_EQ(output("own.jpg"), picture);
  EXPECT_EQ(outputs(), std::set<std::string>{"own.jpg"});
  expectGoodRunAfterwards();
}

// The input is read whole before its output is made, so it is replaced by
// its own result, in full.
TEST_P(OutputFaults, JpegOutputReplacesItsOwnInputUnharmed) {
  const Bytes picture = goodJpeg(4);
  const Bytes expected = referenceOutput(input("own.jpg", picture));
  testpics::writeFile(out / "own.jpg", picture);
  first = input("first.jpg", goodJpeg(1));
  const Outcome outcome = run(settings({first, (out / "own.jpg").string()}));
  EXPECT_FALSE(outcome.failed) << outcome.message;
  EXPECT_EQ(output("own.jpg"), expected);
  const StrictRead read = readStrictly(output("own.jpg"));
  EXPECT_TRUE(read.ok && read.warnings == 0);
  expectFirstIntact(Formats[0]);
  expectGoodRunAfterwards();
}

// A BMP output takes the place of an input only when that input is named
// .bmp, and a bitmap is never a JPEG stream: the run stops before writing,
// and the input stays as it was.
TEST_P(OutputFaults, BmpOutputNamedAsItsOwnInputLeavesTheInputAlone) {
  const Bytes bitmap = crafted::makeBmp(crafted::BmpHeader::Info40, 400, 500, 24);
  testpics::writeFile(out / "own.bmp", bitmap);
  first = input("first.jpg", goodJpeg(1));
  const Outcome outcome = run(settings({first, (out / "own.bmp").string()}, 1));
  expectStopped(outcome, "JPEG error #" + std::to_string(JERR_NO_SOI), "Picture 2 of 2");
  EXPECT_EQ(output("own.bmp"), bitmap);
  expectFirstIntact(Formats[1]);
  expectGoodRunAfterwards();
}

INSTANTIATE_TEST_SUITE_P(Jobs, OutputFaults, ::testing::Values(1, 4));

}  // namespace
}  // namespace faults
