// Measures a run against a bare libjpeg decode of the same generated photos:
// (a) bare decode, (b) batchfit-cli one picture at a time, (c) batchfit-cli on
// every core. Prints the ratios b/a and a/c and the peak memory of (c).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "tests/support/TestPictures.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rounds = 11;

struct Photo {
  std::string path;
  int width, height;
};

// Smooth shading with fine noise, so the files compress like photos do; each
// shot of a batch is shaded a little differently.
testpics::Pattern photoPattern(int shot) {
  return [shot](int x, int y) {
    const unsigned noise = (unsigned(x) * 2654435761u ^ unsigned(y + shot) * 40503u) >> 27;
    return testpics::Rgb{std::uint8_t(128 + 100 * std::sin((x + 97 * shot) / 300.0) + noise),
                         std::uint8_t(128 + 90 * std::cos((y + 61 * shot) / 250.0) + noise),
                         std::uint8_t((x + y + 13 * shot) / 40 % 256)};
  };
}

// A batch as users bring them: landscape and portrait, baseline and
// progressive, in turn, Shots of each. A batch of only a few photos would
// measure mostly how long the last one takes, not the run.
constexpr int Shots = 4;

std::vector<Photo> makePhotos(const std::filesystem::path& dir) {
  std::vector<Photo> photos;
  for (int shot = 0; shot < Shots; ++shot) {
    for (auto [w, h] : {std::pair{4000, 3000}, std::pair{3000, 4000}}) {
      for (auto kind : {testpics::JpegKind::Baseline, testpics::JpegKind::Progressive}) {
        const std::string name = std::to_string(w) + "x" + std::to_string(h) +
                                 (kind == testpics::JpegKind::Progressive ? "-prog" : "") + "-" +
                                 std::to_string(shot + 1) + ".jpg";
        const std::string path = (dir / name).string();
        testpics::writeFile(path, testpics::makeJpeg(w, h, kind, photoPattern(shot), 90));
        photos.push_back({path, w, h});
      }
    }
  }
  return photos;
}

// A bare decode with the run's settings, rows into one buffer.
void bareDecode(const std::string& path) {
  testpics::decompressJpeg(testpics::readFile(path), [](jpeg_decompress_struct& cinfo) {
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> row(std::size_t(cinfo.output_width) * cinfo.output_components);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW rows[1] = {row.data()};
      jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
  });
}

struct ProcessRun {
  double seconds = 0;
  long peakKiB = 0;
  int status = -1;
};

ProcessRun runProcess(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ProcessRun run;
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.peakKiB = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

ProcessRun runCli(std::vector<std::string> args) {
  args.insert(args.begin(), BATCHFIT_CLI_PATH);
  return runProcess(std::move(args));
}

double best(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename F>
double bestOf(F&& f) {
  double best = 1e300;
  for (int i = 0; i < Rounds; ++i) {
    const auto start = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

// The baseline runs as a process of its own, as batchfit-cli does, so that
// both pay the same start and the same first touch of fresh memory.
int bareDecodeProcess(int count, char** files) {
  for (int i = 0; i < count; ++i) bareDecode(files[i]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--bare-decode")
    return bareDecodeProcess(argc - 2, argv + 2);
  // The photos alone, into a folder, to profile a run by hand.
  if (argc > 2 && std::string(argv[1]) == "--make-photos") return makePhotos(argv[2]).empty();
  testpics::TempDir dir;
  std::printf("Generating photos...\n");
  const std::vector<Photo> photos = makePhotos(dir.path());
  const int cores = int(std::max(1u, std::thread::hardware_concurrency()));

  // One of each kind, decoded alone.
  for (std::size_t i = 0; i < 4; ++i) {
    const Photo& p = photos[i];
    const double t = bestOf([&] { bareDecode(p.path); });
    std::printf("  bare decode  %-28s %8.1f ms\n",
                p.path.substr(dir.path().string().size() + 1).c_str(), t * 1000);
  }

  std::vector<std::string> bareArgs = {argv[0], "--bare-decode"};
  std::vector<std::string> base = {"-o", dir.path().string() + "/out/", "-m", "resize-all"};
  std::filesystem::create_directory(dir.path() / "out");
  for (const Photo& p : photos) {
    bareArgs.push_back(p.path);
    base.push_back(p.path);
  }
  auto withJobs = [&](int jobs) {
    auto args = base;
    args.insert(args.begin(), {"-j", std::to_string(jobs)});
    return args;
  };

  // Interleaved rounds, so that a load that comes and goes on a shared
  // machine weighs on all three alike. Each ratio is printed twice: from the
  // best times, and the median of the rounds' own ratios.
  std::vector<double> bare, sequential, parallel, sequentialRatio, speedUp;
  long peakKiB = 0;
  for (int round = 0; round < Rounds; ++round) {
    const ProcessRun a = runProcess(bareArgs), b = runCli(withJobs(1)), c = runCli(withJobs(cores));
    if (a.status != 0 || b.status != 0 || c.status != 0) {
      std::fprintf(stderr, "a run failed (status %d / %d / %d)\n", a.status, b.status, c.status);
      return 1;
    }
    bare.push_back(a.seconds);
    sequential.push_back(b.seconds);
    parallel.push_back(c.seconds);
    sequentialRatio.push_back(b.seconds / a.seconds);
    speedUp.push_back(a.seconds / c.seconds);
    peakKiB = std::max(peakKiB, c.peakKiB);
  }
  const double pictureMiB = 4000.0 * 3000 * 4 / (1024 * 1024);
  const double peakMiB = peakKiB / 1024.0;
  const double a = best(bare), b = best(sequential), c = best(parallel);
  std::printf(
      "\n%zu photos of 12 MP, %d cores, %d rounds: best times; ratios of the best times "
      "(median of the rounds' ratios)\n",
      photos.size(), cores, Rounds);
  std::printf("  (a) bare decode, one process %6.1f ms\n", a * 1000);
  std::printf("  (b) batchfit-cli -j 1      %8.1f ms   b/a = %.3f (%.3f)  target <= 1.10\n",
              b * 1000, b / a, median(sequentialRatio));
  std::printf("  (c) batchfit-cli -j %-2d     %8.1f ms   a/c = %.2f (%.2f)  target >= %.2f\n",
              cores, c * 1000, a / c, median(speedUp), 0.8 * cores);
  std::printf("  peak memory of (c)         %8.1f MiB = %.2f decoded pictures (target <= %d)\n",
              peakMiB, peakMiB / pictureMiB, cores + 2);
  return 0;
}
