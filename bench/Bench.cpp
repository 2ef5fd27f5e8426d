// make bench: batchfit-cli against a bare libjpeg decode of the same photos,
// with the run's decoder settings, on two batches this program makes (sixteen
// 12-megapixel photos, and a batch of mixed sizes and kinds): (a) the bare
// decode of the batch in a process of its own, (b) batchfit-cli -j 1 in the
// resize-all mode, (c) batchfit-cli on every core; on the mixed batch also
// (d) the bare decode and (e) batchfit-cli at its default jobs, both in a
// process per photo; and the bare decode with the run's memory reuse on (f)
// one thread and (g) every core, which tells how much of the cores c/b can
// ever reach on this machine. Prints the ratios from the best times and, in
// brackets, the median of the rounds' own ratios, and the peak memory of each.
// Last, what the program holds idle after an edit-all run of five
// 24-megapixel photos, against what it held before.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchPhotos.h"
#include "bench/IdleMemory.h"
#include "image/MemoryReuse.h"
#include "tests/support/TestPictures.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rounds = 11;

struct Batch {
  std::string name;
  std::vector<std::string> files;
  std::uint64_t largestPixels = 0;
  double bitsPerPixel = 0;  // of the colour photos of 12 megapixels
};

Batch writeBatch(const std::filesystem::path& dir, const std::string& name,
                 const std::vector<bench::Shot>& shots) {
  Batch batch{name, {}, 0, 0};
  double bits = 0, pixels = 0;
  for (std::size_t i = 0; i < shots.size(); ++i) {
    const bench::Shot& s = shots[i];
    const std::string path = (dir / (name + "-" + std::to_string(i) + ".jpg")).string();
    const std::vector<std::uint8_t> bytes = bench::makePhoto(s, int(i));
    testpics::writeFile(path, bytes);
    batch.files.push_back(path);
    const std::uint64_t area = std::uint64_t(s.width) * std::uint64_t(s.height);
    batch.largestPixels = std::max(batch.largestPixels, area);
    if (area == 12'000'000 && s.kind != bench::Kind::Gray) {
      bits += 8.0 * double(bytes.size());
      pixels += double(area);
    }
  }
  batch.bitsPerPixel = pixels > 0 ? bits / pixels : 0;
  return batch;
}

// ---- measuring ----

using bench::ProcessRun;
using bench::runProcess;

// Runs one after the other, as a script does: the times add up.
ProcessRun runEach(const std::vector<std::vector<std::string>>& commands) {
  ProcessRun all{0, 0, true};
  for (const auto& command : commands) {
    const ProcessRun one = runProcess(command);
    all.seconds += one.seconds;
    all.peakKiB = std::max(all.peakKiB, one.peakKiB);
    all.ok = all.ok && one.ok;
  }
  return all;
}

double best(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// One way of working through a batch, and what it took in each round.
struct Workload {
  std::string label;
  std::vector<std::vector<std::string>> commands;
  std::vector<double> seconds;
  long peakKiB = 0;
};

struct Setup {
  std::string self;
  std::string cli;
  int cores;
};

std::vector<std::string> cliCommand(const Setup& setup, const std::string& out,
                                    const std::vector<std::string>& files, int jobs) {
  std::vector<std::string> command = {setup.cli, "-m", "resize-all", "-o", out + "/"};
  if (jobs > 0) command.insert(command.end(), {"-j", std::to_string(jobs)});
  command.insert(command.end(), files.begin(), files.end());
  return command;
}

std::vector<Workload> workloadsFor(const Setup& setup, const Batch& batch, const std::string& out,
                                   bool perPhoto) {
  std::vector<std::string> bare = {setup.self, "--bare-decode"};
  bare.insert(bare.end(), batch.files.begin(), batch.files.end());
  std::vector<Workload> loads = {
      {"(a) bare decode, one process", {bare}, {}, 0},
      {"(b) batchfit-cli -j 1", {cliCommand(setup, out, batch.files, 1)}, {}, 0},
      {"(c) batchfit-cli -j " + std::to_string(setup.cores),
       {cliCommand(setup, out, batch.files, setup.cores)},
       {},
       0},
  };
  if (perPhoto) {
    Workload bareEach{"(d) bare decode, a process per photo", {}, {}, 0};
    Workload cliEach{"(e) batchfit-cli, a process per photo", {}, {}, 0};
    for (const std::string& file : batch.files) {
      bareEach.commands.push_back({setup.self, "--bare-decode", file});
      cliEach.commands.push_back(cliCommand(setup, out, {file}, 0));
    }
    loads.push_back(std::move(bareEach));
    loads.push_back(std::move(cliEach));
  }
  for (int threads : {1, setup.cores}) {
    std::vector<std::string> command = {setup.self, "--bare-decode-threads",
                                        std::to_string(threads)};
    command.insert(command.end(), batch.files.begin(), batch.files.end());
    loads.push_back({threads == 1 ? "(f) bare decode, run's memory reuse"
                                  : "(g) the same on " + std::to_string(threads) + " threads",
                     {command},
                     {},
                     0});
  }
  return loads;
}

// Interleaved rounds, so that a load that comes and goes on a shared machine
// weighs on every workload alike.
bool measure(std::vector<Workload>& loads) {
  for (int round = 0; round < Rounds; ++round) {
    for (Workload& load : loads) {
      const ProcessRun run = runEach(load.commands);
      if (!run.ok) {
        std::fprintf(stderr, "%s failed\n", load.label.c_str());
        return false;
      }
      load.seconds.push_back(run.seconds);
      load.peakKiB = std::max(load.peakKiB, run.peakKiB);
    }
  }
  return true;
}

// x / y from the best times, and the median of the rounds' own x / y.
void printRatio(const char* name, const Workload& x, const Workload& y, const char* note) {
  std::vector<double> ratios;
  for (std::size_t r = 0; r < x.seconds.size(); ++r) ratios.push_back(x.seconds[r] / y.seconds[r]);
  std::printf("  %-9s %6.3f (%.3f)   %s\n", name, best(x.seconds) / best(y.seconds), median(ratios),
              note);
}

void printBatch(const Batch& batch, const std::vector<Workload>& loads) {
  std::printf("\n%s: %zu photos, %d rounds; best time, peak memory\n", batch.name.c_str(),
              batch.files.size(), Rounds);
  for (const Workload& load : loads) {
    std::printf("  %-40s %8.1f ms %8.1f MiB\n", load.label.c_str(), best(load.seconds) * 1000,
                load.peakKiB / 1024.0);
  }
  std::printf("  ratios of the best times (median of the rounds' ratios):\n");
  printRatio("b/a", loads[1], loads[0], "target <= 0.90");
  printRatio("c/b", loads[2], loads[1], "target <= 0.55 on 2 cores");
  if (loads.size() > 5) printRatio("e/d", loads[4], loads[3], "target <= 1.05");
  printRatio("g/f", loads.back(), loads[loads.size() - 2],
             "what the cores give a bare decode, the bound of c/b");
  const double pictureMiB = double(batch.largestPixels) * 4 / (1024 * 1024);
  std::printf(
      "  peak memory of (b) %.1f MiB, of (a) %.1f MiB; the largest photo decoded whole "
      "would be %.1f MiB\n",
      loads[1].peakKiB / 1024.0, loads[0].peakKiB / 1024.0, pictureMiB);
}

// (a) and (d): the bare decode, in a process of its own.
int bareDecodeProcess(int count, char** files) {
  for (int i = 0; i < count; ++i) bench::bareDecode(testpics::readFile(files[i]));
  return 0;
}

// (f) and (g): the bare decode on threads that each take the next photo in the
// list, as the run's workers do, with the run's memory reuse.
int bareDecodeThreads(int threads, int count, char** files) {
  batchfit::keepFreedBuffersForReuse();
  std::atomic<int> next = 0;
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&] {
      for (int i = next++; i < count; i = next++) bench::bareDecode(testpics::readFile(files[i]));
    });
  }
  for (std::thread& thread : pool) thread.join();
  return 0;
}

// The idle memory after a run, measured in a process of its own.
bool measureIdleMemory(const Setup& setup, const std::filesystem::path& dir,
                       const std::string& out) {
  std::vector<bench::Shot> shots;
  for (int i = 0; i < 5; ++i) {
    shots.push_back({6000, 4000, i % 2 ? bench::Kind::Progressive : bench::Kind::Baseline});
  }
  const Batch batch = writeBatch(dir, "24mp", shots);
  std::printf("\nidle memory after an edit-all run of five 24-megapixel photos:\n");
  std::fflush(stdout);
  std::vector<std::string> command = {setup.self, "--idle-memory", out};
  command.insert(command.end(), batch.files.begin(), batch.files.end());
  return runProcess(command).ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--bare-decode") return bareDecodeProcess(argc - 2, argv + 2);
  if (args.size() >= 2 && args[0] == "--bare-decode-threads") {
    return bareDecodeThreads(std::max(1, std::stoi(args[1])), argc - 3, argv + 3);
  }
  if (args.size() >= 2 && args[0] == "--idle-memory") {
    return bench::idleMemoryRun(args[1], {args.begin() + 2, args.end()});
  }
  // The photos alone, into a folder, to profile a run by hand.
  if (args.size() == 2 && args[0] == "--make-photos") {
    writeBatch(args[1], "12mp", bench::twelveMegapixelShots());
    writeBatch(args[1], "mixed", bench::mixedShots());
    return 0;
  }
  Setup setup{argv[0], BATCHFIT_CLI_PATH, int(std::max(1u, std::thread::hardware_concurrency()))};
  // Another batchfit-cli, to compare builds.
  if (args.size() == 2 && args[0] == "--cli") setup.cli = args[1];
  testpics::TempDir dir;
  std::filesystem::create_directory(dir.path() / "out");
  const std::string out = (dir.path() / "out").string();
  // The memory figure alone.
  if (args.size() == 1 && args[0] == "--memory")
    return measureIdleMemory(setup, dir.path(), out) ? 0 : 1;
  std::printf("Generating photos...\n");
  const Batch twelve = writeBatch(dir.path(), "12mp", bench::twelveMegapixelShots());
  const Batch mixed = writeBatch(dir.path(), "mixed", bench::mixedShots());
  std::printf("12-megapixel colour photos at quality 90: %.2f bits per pixel\n",
              twelve.bitsPerPixel);
  for (const auto& [batch, perPhoto] : {std::pair{&twelve, false}, std::pair{&mixed, true}}) {
    std::vector<Workload> loads = workloadsFor(setup, *batch, out, perPhoto);
    if (!measure(loads)) return 1;
    printBatch(*batch, loads);
  }
  return measureIdleMemory(setup, dir.path(), out) ? 0 : 1;
}
