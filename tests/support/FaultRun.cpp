#include "tests/support/FaultRun.h"

#include <jpeglib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "image/Error.h"

namespace faults {

namespace fs = std::filesystem;

Bytes goodJpeg(int seed) {
  return testpics::makeJpeg(352, 440, testpics::JpegKind::Baseline, [seed](int x, int y) {
    return testpics::Rgb{std::uint8_t(x + seed), std::uint8_t(y * 3), std::uint8_t(x ^ y)};
  });
}

Bytes smallJpeg() {
  return testpics::makeJpeg(100, 120);
}

namespace {

struct CountingErrors {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void failRead(j_common_ptr info) {
  std::longjmp(reinterpret_cast<CountingErrors*>(info->err)->jump, 1);
}

void quiet(j_common_ptr) {}

// Decodes every row; false on a libjpeg error. Nothing here needs unwinding
// between setjmp and longjmp.
bool decodeAll(jpeg_decompress_struct& info, CountingErrors& errors, const Bytes& jpeg) {
  if (setjmp(errors.jump) != 0) return false;
  jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  // The row lives in libjpeg's pool, so a jump out of the decoding leaks nothing.
  JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                              info.output_width * info.output_components, 1);
  while (info.output_scanline < info.output_height) jpeg_read_scanlines(&info, rows, 1);
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

StrictRead readStrictly(const Bytes& jpeg) {
  if (jpeg.empty()) return {};
  jpeg_decompress_struct info{};
  CountingErrors errors{};
  info.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = failRead;
  errors.pub.output_message = quiet;
  jpeg_create_decompress(&info);
  StrictRead read;
  read.ok = decodeAll(info, errors, jpeg);
  read.width = int(info.image_width);
  read.height = int(info.image_height);
  read.warnings = errors.pub.num_warnings;
  jpeg_destroy_decompress(&info);
  return read;
}

void FaultRunTest::SetUp() {
  in = root.path() / "in";
  out = root.path() / "out";
  fs::create_directory(in);
  fs::create_directory(out);
}

std::string FaultRunTest::input(const std::string& name, const Bytes& bytes) const {
  testpics::writeFile(in / name, bytes);
  return (in / name).string();
}

batchfit::JobSettings FaultRunTest::settings(const std::vector<std::string>& files,
                                             batchfit::SaveFormat saveFormat) const {
  batchfit::JobSettings s;
  s.files = files;
  s.saveFormat = saveFormat;
  s.outputPath = (out / "Save Your Resized Files Here").string();
  s.jobs = GetParam();
  return s;
}

Outcome FaultRunTest::run(const batchfit::JobSettings& settings) {
  Outcome outcome;
  try {
    batchfit::runBatch(settings, outcome.frontEnd, pictures, outcome.record);
  } catch (const batchfit::Error& error) {
    outcome.failed = true;
    outcome.message = error.what();
  }
  return outcome;
}

std::set<std::string> FaultRunTest::outputs() const {
  const std::vector<std::string> names = testpics::fileNames(out);
  return {names.begin(), names.end()};
}

Bytes FaultRunTest::output(const std::string& name) const {
  return testpics::readFile(out / name);
}

Bytes FaultRunTest::referenceOutput(const std::string& inputPath, batchfit::SaveFormat saveFormat) {
  const fs::path folder = root.path() / "reference";
  fs::remove_all(folder);
  fs::create_directory(folder);
  batchfit::JobSettings s = settings({inputPath}, saveFormat);
  s.outputPath = (folder / "x").string();
  const Outcome outcome = run(s);
  EXPECT_FALSE(outcome.failed) << outcome.message;
  const fs::path written = folder / fs::path(inputPath).filename();
  return testpics::readFile(saveFormat == batchfit::SaveFormat::Jpeg
                                ? written
                                : fs::path(written).replace_extension(".bmp"));
}

void FaultRunTest::expectStopped(const Outcome& outcome, const std::string& message,
                                 const std::string& lastLabel) {
  EXPECT_TRUE(outcome.failed);
  EXPECT_EQ(outcome.message, message);
  const std::vector<std::string> labels = outcome.frontEnd.labels;
  ASSERT_FALSE(labels.empty());
  EXPECT_EQ(labels.back(), lastLabel);
  EXPECT_TRUE(outcome.frontEnd.messages.empty()) << "the report must not be shown";
  EXPECT_TRUE(enginetest::callsStartingWith(outcome.frontEnd, "edit").empty());
}

void FaultRunTest::expectGoodRunAfterwards() {
  const fs::path folder = root.path() / "afterwards";
  fs::create_directory(folder);
  const std::string file = input("afterwards.jpg", goodJpeg(7));
  batchfit::JobSettings s = settings({file});
  s.outputPath = (folder / "x").string();
  const Outcome outcome = run(s);
  EXPECT_FALSE(outcome.failed) << outcome.message;
  EXPECT_EQ(outcome.frontEnd.labels.back(), "Picture 1 of 1");
  const StrictRead read = readStrictly(testpics::readFile(folder / "afterwards.jpg"));
  EXPECT_TRUE(read.ok && read.warnings == 0);
  EXPECT_EQ(read.width, 176);
  EXPECT_EQ(read.height, 220);
}

void FaultRunTest::inChild(const std::function<void()>& body) {
  enum : int { Passed = 0, Failed = 1, Skipped = 77 };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    body();
    std::fflush(nullptr);
    std::_Exit(IsSkipped() ? Skipped : HasFailure() ? Failed : Passed);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  if (WEXITSTATUS(status) == Skipped) GTEST_SKIP() << "see the child's reason above";
  EXPECT_EQ(WEXITSTATUS(status), Passed) << "the child's checks failed (see above)";
}

}  // namespace faults
