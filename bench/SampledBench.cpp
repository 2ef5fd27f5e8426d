// Prototype figures for the sampled decode: on batches this program makes
// (the 12-megapixel batch of batchfit-bench and a batch of mixed sizes and
// kinds), (a) a bare libjpeg decode with the run's settings, (b) the sampled
// decode of a 176 x 220 resize-all sampling, falling back to a whole decode
// sampled row by row where it must, and (c) libjpeg reading the coefficients
// alone, the floor of (b). In interleaved rounds, each runs over the whole
// batch as a process of its own and in this process (whose memory is then
// reused); ratios to (a) from the best times and, in brackets, the median of
// the rounds' own ratios.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "bench/BenchPhotos.h"
#include "bench/SampledDecode.h"
#include "engine/Arithmetic.h"
#include "engine/JobSettings.h"
#include "engine/Scaling.h"
#include "image/JpegObject.h"
#include "image/MemoryReuse.h"
#include "tests/support/TestPictures.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int RoundCount = 9;

std::vector<std::string> writeBatch(const std::filesystem::path& dir, const std::string& name,
                                    const std::vector<bench::Shot>& shots) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < shots.size(); ++i) {
    const std::string path = (dir / (name + "-" + std::to_string(i) + ".jpg")).string();
    testpics::writeFile(path, bench::makePhoto(shots[i], int(i)));
    paths.push_back(path);
  }
  return paths;
}

// ---- the three workloads, each run in a process of its own ----

void coefficientsOnly(const std::vector<std::uint8_t>& bytes) {
  testpics::decompressJpeg(bytes, [](jpeg_decompress_struct& cinfo) {
    jpeg_read_coefficients(&cinfo);
    jpeg_finish_decompress(&cinfo);
  });
}

// The indices N(i * step) for i < count that lie in [0, size), ascending.
std::vector<std::int32_t> sampled(std::int32_t count, double step, std::int32_t size) {
  std::vector<std::int32_t> indices;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int64_t s = batchfit::roundSample(i, step);
    if (s >= 0 && s < size) indices.push_back(std::int32_t(s));
  }
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

// A photo's decoder and the sampler of its resize-all 176 x 220 picture, set
// up as the run sets them up.
struct ResizeAllSampling {
  batchfit::JpegObject& jpeg;
  std::int32_t width, height;
  batchfit::ScaleFactors steps;
  batchfit::RowSampler& sampler;

  void take(std::int32_t y, const batchfit::ColorRef* row) { sampler.takeRow(y, row); }
};

template <typename Use>
void withResizeAllSampling(const std::vector<std::uint8_t>& bytes, const Use& use) {
  batchfit::JpegObject jpeg;
  jpeg.loadBytes(bytes);
  const auto width = std::int32_t(jpeg.headerWidth()), height = std::int32_t(jpeg.headerHeight());
  const batchfit::JobSettings settings;
  const batchfit::ScaleFactors steps = batchfit::straightFactors(settings, width, height);
  batchfit::PixelSurface target =
      batchfit::PixelSurface::create(settings.targetWidth, settings.targetHeight);
  batchfit::RowSampler sampler(target, width, height, {batchfit::Turn::None, steps});
  ResizeAllSampling sampling{jpeg, width, height, steps, sampler};
  use(sampling);
}

// The sampled decode, falling back to the whole decode where it must.
void sampledDecode(const std::vector<std::uint8_t>& bytes) {
  withResizeAllSampling(bytes, [](ResizeAllSampling& s) {
    const batchfit::JobSettings settings;
    const batchfit::SamplePoints points{sampled(settings.targetHeight, s.steps.stepY, s.height),
                                        sampled(settings.targetWidth, s.steps.stepX, s.width)};
    const auto take = [&](std::int32_t y, const batchfit::ColorRef* row) { s.take(y, row); };
    if (!batchfit::decodeSampled(s.jpeg.bytes(), points, take)) s.jpeg.scanRows(take);
  });
}

// The run's own way: rows scaled as they decode, passing over unsampled rows.
void rowsDecode(const std::vector<std::uint8_t>& bytes) {
  withResizeAllSampling(bytes, [](ResizeAllSampling& s) {
    const std::vector<std::int32_t> needed = s.sampler.rowsNeeded();
    s.jpeg.scanRows([&](std::int32_t y, const batchfit::ColorRef* row) { s.take(y, row); },
                    &needed);
  });
}

const std::vector<std::string> Modes = {"--bare", "--sampled", "--coefficients", "--rows"};

void runWorkload(const std::string& mode, const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    const std::vector<std::uint8_t> bytes = testpics::readFile(file);
    if (mode == "--bare") bench::bareDecode(bytes);
    if (mode == "--sampled") sampledDecode(bytes);
    if (mode == "--coefficients") coefficientsOnly(bytes);
    if (mode == "--rows") rowsDecode(bytes);
  }
}

// ---- measuring ----

double runProcess(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double runHere(const std::string& mode, const std::vector<std::string>& files) {
  const auto start = Clock::now();
  runWorkload(mode, files);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double best(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

// Times of each mode, one per round.
using Rounds = std::vector<std::vector<double>>;

void print(const char* how, const Rounds& times) {
  std::printf("  %s\n", how);
  const char* labels[] = {"(a) bare decode", "(b) sampled decode", "(c) coefficients only",
                          "(d) rows as they decode"};
  for (std::size_t m = 0; m < Modes.size(); ++m) {
    std::printf("    %-22s %8.1f ms", labels[m], best(times[m]) * 1000);
    if (m > 0) {
      std::vector<double> ratios;
      for (std::size_t r = 0; r < times[m].size(); ++r) ratios.push_back(times[m][r] / times[0][r]);
      std::printf("   /a = %.3f (%.3f)", best(times[m]) / best(times[0]), median(ratios));
    }
    std::printf("\n");
  }
}

// Interleaved rounds, each mode once a round: as a process of its own over
// the batch (which faults in libjpeg's memory afresh), and in this process,
// where that memory is reused from one round to the next.
bool measure(const char* self, const std::string& name, const std::vector<std::string>& files) {
  Rounds processes(Modes.size()), here(Modes.size());
  for (const std::string& mode : Modes) runHere(mode, files);
  for (int round = 0; round < RoundCount; ++round) {
    for (std::size_t m = 0; m < Modes.size(); ++m) {
      std::vector<std::string> args = {self, Modes[m]};
      args.insert(args.end(), files.begin(), files.end());
      processes[m].push_back(runProcess(args));
      if (processes[m].back() < 0) return false;
      here[m].push_back(runHere(Modes[m], files));
    }
  }
  std::printf(
      "\n%s: %zu photos, %d rounds, best times; ratios of the best times (median of "
      "the rounds' ratios)\n",
      name.c_str(), files.size(), RoundCount);
  print("one process per batch", processes);
  print("in one process, its memory reused", here);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  batchfit::keepFreedBuffersForReuse();
  if (argc > 1 && std::find(Modes.begin(), Modes.end(), argv[1]) != Modes.end()) {
    runWorkload(argv[1], std::vector<std::string>(argv + 2, argv + argc));
    return 0;
  }
  // The photos alone, into a folder, to profile by hand.
  if (argc > 2 && std::string(argv[1]) == "--make-photos") {
    return writeBatch(argv[2], "12mp", bench::twelveMegapixelShots()).empty() ||
           writeBatch(argv[2], "mixed", bench::mixedShots()).empty();
  }
  testpics::TempDir dir;
  std::printf("Generating photos...\n");
  const auto twelve = writeBatch(dir.path(), "12mp", bench::twelveMegapixelShots());
  const auto mixed = writeBatch(dir.path(), "mixed", bench::mixedShots());
  std::printf("Sampled decode available: %s\n",
              batchfit::sampledDecodeAvailable() ? "yes" : "NO (every photo decoded whole)");
  if (!measure(argv[0], "12-megapixel batch", twelve) || !measure(argv[0], "mixed batch", mixed)) {
    std::fprintf(stderr, "a run failed\n");
    return 1;
  }
  return 0;
}
