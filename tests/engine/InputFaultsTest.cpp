// Broken and hostile inputs in the middle of a run: the run stops at the
// right file with the exact message, or goes on where the damage is only in
// the picture data, and the next run works either way.
#include <jerror.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "image/PixelSurface.h"
#include "tests/support/Batch.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/Errors.h"
#include "tests/support/FaultRun.h"

namespace faults {
namespace {

namespace fs = std::filesystem;
using testpics::jpegError;
using testpics::MemoryLimitGuard;

class InputFaults : public FaultRunTest {
 protected:
  // A good picture, a too small one, the fault, another good one.
  Outcome runAround(const std::string& fault) {
    first = input("first.jpg", goodJpeg(1));
    last = input("last.jpg", goodJpeg(2));
    return run(settings({first, input("small.jpg", smallJpeg()), fault, last}));
  }

  // Only the first picture was written, exactly as a run over it alone writes it.
  void expectOnlyFirstOutput() {
    EXPECT_EQ(outputs(), std::set<std::string>{"first.jpg"});
    EXPECT_EQ(output("first.jpg"), referenceOutput(first));
  }

  std::string first;
  std::string last;
};

TEST_P(InputFaults, FileThatVanishedAfterListingStopsTheRunAtIt) {
  const std::string gone = input("gone.jpg", goodJpeg());
  fs::remove(gone);
  const Outcome outcome = runAround(gone);
  expectStopped(outcome, "Cannot open file \"" + gone + "\". No such file or directory",
                "Picture 1 of 4");
  expectOnlyFirstOutput();
  expectGoodRunAfterwards();
}

TEST_P(InputFaults, FolderListedAsAFileStopsTheRunAtIt) {
  const fs::path folder = in / "folder.jpg";
  fs::create_directory(folder);
  const Outcome outcome = runAround(folder.string());
  expectStopped(outcome, "Cannot open file \"" + folder.string() + "\". Is a directory",
                "Picture 1 of 4");
  expectOnlyFirstOutput();
  expectGoodRunAfterwards();
}

// A pipe without a writer, or a device that never ends, must neither hang
// the run nor fill the memory: only plain files are pictures.
TEST_P(InputFaults, PipesAndDevicesAreRefusedWithoutHanging) {
  const fs::path pipe = in / "pipe.jpg";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const fs::path endless = in / "zero.jpg";
  fs::create_symlink("/dev/zero", endless);
  for (const fs::path& fault : {pipe, endless}) {
    SCOPED_TRACE(fault.filename().string());
    const Outcome outcome = runAround(fault.string());
    expectStopped(outcome, "Cannot open file \"" + fault.string() + "\". Not a regular file",
                  "Picture 1 of 4");
    expectOnlyFirstOutput();
  }
  expectGoodRunAfterwards();
}

// An empty JPEG or BMP declares 0 x 0 pixels: too small, reported, the run goes on.
TEST_P(InputFaults, EmptyJpegAndBitmapFilesAreReportedTooSmall) {
  for (const char* extension : {"jpg", "jpeg", "JPG", "bmp"}) {
    SCOPED_TRACE(extension);
    const std::string empty = input(std::string("empty.") + extension, {});
    const Outcome outcome = runAround(empty);
    EXPECT_FALSE(outcome.failed) << outcome.message;
    const std::vector<std::string> report = outcome.frontEnd.messages;
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[1], enginetest::tooSmallLine(empty));
    EXPECT_EQ(outputs(), (std::set<std::string>{"first.jpg", "last.jpg"}));
    fs::remove(empty);
  }
  expectGoodRunAfterwards();
}

// A bitmap declares its width and the magnitude of its height whatever the
// rest of its header says: a negative width or an unusual depth is no error.
TEST_P(InputFaults, BitmapsWithNegativeWidthOrTwoBitsAreReportedTooSmall) {
  Bytes negativeWidth = crafted::makeBmp(400, 300);
  crafted::put(negativeWidth, 18, std::uint32_t(-400), 4);
  const Bytes twoBits = crafted::makeBmp(100, 120, 2);
  for (const Bytes& bitmap : {negativeWidth, twoBits}) {
    const std::string odd = input("odd.bmp", bitmap);
    const Outcome outcome = runAround(odd);
    EXPECT_FALSE(outcome.failed) << outcome.message;
    ASSERT_EQ(outcome.frontEnd.messages.size(), 2u);
    EXPECT_EQ(outcome.frontEnd.messages[1], enginetest::tooSmallLine(odd));
    EXPECT_EQ(outputs(), (std::set<std::string>{"first.jpg", "last.jpg"}));
  }
}

TEST_P(InputFaults, EmptyIconsAndMetafilesStopTheRunAtThem) {
  for (const char* extension : {"ico", "wmf", "emf"}) {
    SCOPED_TRACE(extension);
    const Outcome outcome = runAround(input(std::string("empty.") + extension, {}));
    expectStopped(outcome, "Stream read error", "Picture 1 of 4");
    expectOnlyFirstOutput();
  }
  expectGoodRunAfterwards();
}

// With a target of 0 x 0 even a picture of 0 x 0 passes the size test, so
// the empty file reaches the decoder, which has nothing to decode.
TEST_P(InputFaults, EmptyJpegThatPassesTheSizeTestFailsToDecode) {
  batchfit::JobSettings s = settings({input("empty.jpg", {})});
  s.targetWidth = 0;
  s.targetHeight = 0;
  const Outcome outcome = run(s);
  expectStopped(outcome, jpegError(JERR_INPUT_EMPTY), "Picture 1 of 1");
  EXPECT_TRUE(outputs().empty());
  expectGoodRunAfterwards();
}

// libjpeg fills in what is missing; the output is a complete file.
TEST_P(InputFaults, JpegCutShortInItsDataIsStillWrittenInFull) {
  const Bytes whole = goodJpeg(3);
  for (int percent : {10, 50, 99}) {
    SCOPED_TRACE(percent);
    const Bytes cut = crafted::cutTo(whole, percent);
    ASSERT_GT(cut.size(), crafted::scanDataOffset(whole));
    const Outcome outcome = runAround(input("cut.jpg", cut));
    EXPECT_FALSE(outcome.failed) << outcome.message;
    EXPECT_EQ(outcome.frontEnd.messages.size(), 1u);
    EXPECT_EQ(outputs(), (std::set<std::string>{"first.jpg", "cut.jpg", "last.jpg"}));
    const StrictRead read = readStrictly(output("cut.jpg"));
    EXPECT_TRUE(read.ok && read.warnings == 0);
    EXPECT_EQ(read.width, 176);
    EXPECT_EQ(read.height, 220);
    EXPECT_EQ(testpics::readFile(in / "cut.jpg"), cut) << "the input is never written";
  }
  expectGoodRunAfterwards();
}

TEST_P(InputFaults, JpegCutInsideItsHeaderStopsTheRunAtIt) {
  const Bytes whole = goodJpeg(3);
  const Bytes cut(whole.begin(),
                  whole.begin() + std::ptrdiff_t(crafted::scanDataOffset(whole) - 14));
  const Outcome outcome = runAround(input("cut.jpg", cut));
  expectStopped(outcome, jpegError(JERR_SOF_NO_SOS), "Picture 1 of 4");
  expectOnlyFirstOutput();
  expectGoodRunAfterwards();
}

// The header reads; the table fails when decoding starts, after the progress.
TEST_P(InputFaults, CorruptHuffmanTableStopsTheRunAtDecoding) {
  const Outcome outcome = runAround(input("huffman.jpg", crafted::withBadHuffmanTable(goodJpeg())));
  expectStopped(outcome, jpegError(JERR_BAD_HUFF_TABLE), "Picture 3 of 4");
  expectOnlyFirstOutput();
  expectGoodRunAfterwards();
}

// A photo only reported fails at it just the same.
TEST_P(InputFaults, CorruptHuffmanTableStopsTheRunAtAPhotoOnlyReported) {
  first = input("first.jpg", goodJpeg(1));
  last = input("last.jpg", goodJpeg(2));
  const Bytes wide = crafted::withBadHuffmanTable(testpics::makeJpeg(900, 300));
  batchfit::JobSettings s = settings({first, input("wide.jpg", wide), last});
  s.mismatchAction = batchfit::MismatchAction::Skip;
  expectStopped(run(s), jpegError(JERR_BAD_HUFF_TABLE), "Picture 2 of 3");
  expectOnlyFirstOutput();
}

TEST_P(InputFaults, BitmapClaimingMorePixelsThanItHoldsStopsTheRunAtIt) {
  const Bytes full = crafted::makeBmp(400, 300);
  const Outcome outcome = runAround(input("short.bmp", crafted::cutTo(full, 60)));
  expectStopped(outcome, "Stream read error", "Picture 1 of 4");
  expectOnlyFirstOutput();
  expectGoodRunAfterwards();
}

// A few hundred bytes claiming 65500 x 65500 pixels (17 GB of surface).
Bytes hugeHeader(testpics::JpegKind kind) {
  return crafted::withJpegSize(testpics::makeJpeg(16, 16, kind), 65500, 65500);
}

TEST_P(InputFaults, HugeHeaderFailsAsOutOfResourcesUnderALimit) {
  const MemoryLimitGuard limit(64u << 20);
  for (auto kind : {testpics::JpegKind::Baseline, testpics::JpegKind::Progressive}) {
    const Bytes huge = hugeHeader(kind);
    ASSERT_LT(huge.size(), 1000u);
    const Outcome outcome = runAround(input("huge.jpg", huge));
    expectStopped(outcome, "Out of system resources", "Picture 3 of 4");
    expectOnlyFirstOutput();
  }
  expectGoodRunAfterwards();
}

// A progressive picture needs libjpeg's coefficients besides its pixels:
// 1000 x 1000 without subsampling, 4 MB of pixels and 6 MB of coefficients.
TEST_P(InputFaults, ProgressivePictureBeyondTheLimitFailsAsOutOfResources) {
  const MemoryLimitGuard limit(5'000'000);
  const Bytes progressive = testpics::makeJpeg(1000, 1000, testpics::JpegKind::Progressive444);
  const Outcome outcome = runAround(input("progressive.jpg", progressive));
  expectStopped(outcome, "Out of system resources", "Picture 3 of 4");
  expectOnlyFirstOutput();
  expectGoodRunAfterwards();
}

// The run in a child process whose address space is capped at 2 GiB, where
// the sanitizers allow it: an attempt to allocate the picture there could not
// take the machine down, only fail. Reports the run's message on stderr.
class CappedRun : public InputFaults {
 protected:
  [[noreturn]] void runCapped(const std::string& file) {
    if (testpics::canCapAddressSpace()) {
      const rlimit cap{2ull << 30, 2ull << 30};
      setrlimit(RLIMIT_AS, &cap);
    }
    const Outcome outcome = run(settings({file}));
    std::fprintf(stderr, "[%s]\n", outcome.message.c_str());
    std::exit(outcome.failed ? 0 : 1);
  }
};

// With the machine's own limit the run must fail before allocating the picture.
TEST_P(CappedRun, HugeHeaderFailsAsOutOfResourcesUnderTheDefaultLimit) {
  const MemoryLimitGuard limit(0);
  if (batchfit::surfaceMemoryLimit() >= 65500ull * 65500 * 4) {
    GTEST_SKIP() << "this machine could hold a 65500 x 65500 picture";
  }
  const std::string huge = input("huge.jpg", hugeHeader(testpics::JpegKind::Progressive));
  EXPECT_EXIT(runCapped(huge), ::testing::ExitedWithCode(0), "\\[Out of system resources\\]");
  expectGoodRunAfterwards();
}

INSTANTIATE_TEST_SUITE_P(Jobs, InputFaults, ::testing::Values(1, 4));
INSTANTIATE_TEST_SUITE_P(Jobs, CappedRun, ::testing::Values(1, 4));

}  // namespace
}  // namespace faults
