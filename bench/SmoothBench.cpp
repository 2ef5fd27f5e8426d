// make bench, smooth scaling: batchfit-cli --smooth -j 1 against the exact
// run (batchfit-cli -j 1) and a bare decode on the 12-megapixel and mixed
// batches, with their peak memory and how much of the smooth run is decoding
// and how much filtering; and the quality of both runs as PSNR against a
// Lanczos-3 reduction in double precision of the full-size decode, over the
// bench's photos and a zone plate. Writes the zone plate's two results side
// by side at 2:1 as a PNG.
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "bench/BenchPhotos.h"
#include "engine/Scaling.h"
#include "engine/SmoothScaling.h"
#include "image/JpegObject.h"
#include "tests/support/Batch.h"
#include "tests/support/ReferenceDecode.h"
#include "tests/support/TestPictures.h"
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

using batchfit::PixelSurface;
using Clock = std::chrono::steady_clock;
constexpr int Rounds = 7;
constexpr int TargetWidth = 176, TargetHeight = 220;

struct Photo {
  std::string path;
  std::vector<std::uint8_t> bytes;
};

std::vector<Photo> writePhotos(const std::filesystem::path& dir, const std::string& name,
                               const std::vector<bench::Shot>& shots) {
  std::vector<Photo> photos;
  for (std::size_t i = 0; i < shots.size(); ++i) {
    Photo photo{(dir / (name + "-" + std::to_string(i) + ".jpg")).string(),
                bench::makePhoto(shots[i], int(i))};
    testpics::writeFile(photo.path, photo.bytes);
    photos.push_back(std::move(photo));
  }
  return photos;
}

// Concentric rings whose frequency rises from nothing at the centre to the
// sampling limit at the edge, in gray, at quality 95 without subsampling.
Photo writeZonePlate(const std::filesystem::path& dir) {
  constexpr int Size = 1760;
  const double reach = Size / 2.0;
  const auto ring = [&](int x, int y) {
    const double dx = x - reach + 0.5, dy = y - reach + 0.5;
    const double v = 127.5 + 127.0 * std::cos(std::numbers::pi * (dx * dx + dy * dy) / (2 * reach));
    const auto level = std::uint8_t(std::lround(v));
    return testpics::Rgb{level, level, level};
  };
  Photo plate{(dir / "zone-plate.jpg").string(),
              testpics::makeColourJpeg(Size, Size * 5 / 4, ring, [](jpeg_compress_struct& c) {
                jpeg_set_quality(&c, 95, TRUE);
                for (int i = 0; i < 3; ++i) c.comp_info[i].h_samp_factor = 1;
                for (int i = 0; i < 3; ++i) c.comp_info[i].v_samp_factor = 1;
              })};
  testpics::writeFile(plate.path, plate.bytes);
  return plate;
}

// ---- speed ----

using bench::ProcessRun;
using bench::runProcess;

// The kernel counts in a child's peak memory what its parent held when it
// spawned the child; so the children are spawned by a small process forked
// before the bench makes its photos, which runs each command it is sent.
class Runner {
 public:
  Runner() {
    if (pipe(commands_) != 0 || pipe(results_) != 0) std::abort();
    pid_ = fork();
    if (pid_ == 0) {
      close(commands_[1]);
      close(results_[0]);
      serve();
      _exit(0);
    }
    close(commands_[0]);
    close(results_[1]);
  }
  ~Runner() {
    close(commands_[1]);
    close(results_[0]);
    waitpid(pid_, nullptr, 0);
  }
  ProcessRun run(const std::vector<std::string>& args) {
    std::string message;
    for (const std::string& arg : args) message += arg + '\0';
    const std::uint64_t size = message.size();
    ProcessRun result;
    if (!transfer(commands_[1], &size, sizeof size, true) ||
        !transfer(commands_[1], message.data(), message.size(), true) ||
        !transfer(results_[0], &result, sizeof result, false)) {
      return {};
    }
    return result;
  }

 private:
  static bool transfer(int fd, const void* data, std::size_t size, bool writing) {
    auto* bytes = static_cast<char*>(const_cast<void*>(data));
    while (size > 0) {
      const ssize_t done = writing ? write(fd, bytes, size) : read(fd, bytes, size);
      if (done <= 0) return false;
      bytes += done;
      size -= std::size_t(done);
    }
    return true;
  }
  void serve() {
    for (std::uint64_t size = 0; transfer(commands_[0], &size, sizeof size, false);) {
      std::string message(size, '\0');
      if (!transfer(commands_[0], message.data(), size, false)) return;
      std::vector<std::string> args;
      for (std::size_t at = 0; at < message.size(); at = message.find('\0', at) + 1) {
        args.emplace_back(message.c_str() + at);
      }
      const ProcessRun result = runProcess(args);
      if (!transfer(results_[1], &result, sizeof result, true)) return;
    }
  }

  int commands_[2] = {-1, -1};
  int results_[2] = {-1, -1};
  pid_t pid_ = -1;
};

std::vector<std::string> cliRun(const std::string& cli, const std::string& out,
                                const std::vector<Photo>& photos, bool smooth, bool bmp) {
  std::vector<std::string> command = {cli, "-m", "resize-all", "-j", "1", "-o", out + "/"};
  if (smooth) command.push_back("--smooth");
  if (bmp) command.insert(command.end(), {"-f", "bmp"});
  for (const Photo& photo : photos) command.push_back(photo.path);
  return command;
}

struct Workload {
  std::string label;
  std::vector<std::string> command;
  std::vector<double> seconds;
  long peakKiB = 0;
};

double best(const std::vector<double>& v) {
  return *std::min_element(v.begin(), v.end());
}

// The decode at the scale the smooth run picks, and the filter fed its rows
// kept from that decode, timed apart in this process.
void printSplit(const std::vector<Photo>& photos) {
  double decodeBest = 1e30, filterBest = 1e30;
  for (int round = 0; round < Rounds; ++round) {
    double decoding = 0, filtering = 0;
    for (const Photo& photo : photos) {
      batchfit::JpegObject jpeg;
      jpeg.loadBytes(photo.bytes);
      const auto width = std::int32_t(jpeg.headerWidth());
      const auto height = std::int32_t(jpeg.headerHeight());
      batchfit::JobSettings settings;
      settings.mode = batchfit::Mode::ResizeAll;
      const batchfit::Turn turn = batchfit::placementTurn(settings, width, height);
      const bool turned = turn != batchfit::Turn::None;
      const int along = turned ? TargetHeight : TargetWidth;
      const int lines = turned ? TargetWidth : TargetHeight;
      if (width < along || height < lines) continue;  // too small: the run leaves it out
      const int d = batchfit::smoothDecodeDenominator(width, height, along, lines);
      const auto scaledWidth = std::int32_t(batchfit::scaledJpegSize(width, d));
      const auto scaledHeight = std::int32_t(batchfit::scaledJpegSize(height, d));
      std::vector<batchfit::ColorRef> rows(std::size_t(scaledWidth) * scaledHeight);
      const auto start = Clock::now();
      jpeg.scanScaledRows(
          [&](std::int32_t y, const batchfit::ColorRef* row) {
            std::copy(row, row + scaledWidth, rows.begin() + std::ptrdiff_t(y) * scaledWidth);
          },
          d, 0);
      const auto decoded = Clock::now();
      PixelSurface target = PixelSurface::create(TargetWidth, TargetHeight);
      const batchfit::ScaleFactors steps = turned
                                               ? batchfit::turnedFactors(settings, width, height)
                                               : batchfit::straightFactors(settings, width, height);
      batchfit::SmoothSampler sampler(target, scaledWidth, scaledHeight,
                                      {turn, {steps.stepX / d, steps.stepY / d}});
      for (std::int32_t y = 0; y < scaledHeight; ++y) {
        sampler.takeRow(y, rows.data() + std::ptrdiff_t(y) * scaledWidth);
      }
      sampler.finish();
      decoding += std::chrono::duration<double>(decoded - start).count();
      filtering += std::chrono::duration<double>(Clock::now() - decoded).count();
    }
    decodeBest = std::min(decodeBest, decoding);
    filterBest = std::min(filterBest, filtering);
  }
  std::printf("  in process: the scaled decode %.1f ms, the filter %.1f ms (%.0f %% of the two)\n",
              decodeBest * 1000, filterBest * 1000, 100 * filterBest / (decodeBest + filterBest));
}

void measureSpeed(Runner& runner, const std::string& self, const std::string& cli,
                  const std::string& name, const std::vector<Photo>& photos,
                  const std::string& out) {
  std::vector<std::string> bare = {self, "--bare-decode"};
  for (const Photo& photo : photos) bare.push_back(photo.path);
  std::vector<Workload> loads = {
      {"bare decode", bare, {}, 0},
      {"batchfit-cli -j 1", cliRun(cli, out, photos, false, false), {}, 0},
      {"batchfit-cli --smooth -j 1", cliRun(cli, out, photos, true, false), {}, 0}};
  // Interleaved, so that a load coming and going weighs on each alike.
  for (int round = 0; round < Rounds; ++round) {
    for (Workload& load : loads) {
      const ProcessRun run = runner.run(load.command);
      if (!run.ok) std::fprintf(stderr, "%s failed\n", load.label.c_str());
      load.seconds.push_back(run.seconds);
      load.peakKiB = std::max(load.peakKiB, run.peakKiB);
    }
  }
  std::printf("\n%s: %zu photos, best of %d rounds, peak memory\n", name.c_str(), photos.size(),
              Rounds);
  for (const Workload& load : loads) {
    std::printf("  %-28s %8.1f ms %8.1f MiB\n", load.label.c_str(), best(load.seconds) * 1000,
                load.peakKiB / 1024.0);
  }
  // The median of the rounds' own ratios beside the best times' ratio.
  const auto ratios = [&](std::size_t x, std::size_t y) {
    std::vector<double> each;
    for (int r = 0; r < Rounds; ++r) each.push_back(loads[x].seconds[r] / loads[y].seconds[r]);
    std::sort(each.begin(), each.end());
    return std::pair{best(loads[x].seconds) / best(loads[y].seconds), each[each.size() / 2]};
  };
  const auto [exact, exactMedian] = ratios(2, 1);
  const auto [overBare, overBareMedian] = ratios(2, 0);
  std::printf(
      "  smooth / exact run %.3f (median %.3f; target <= 1.0), smooth / bare decode %.3f "
      "(median %.3f)\n",
      exact, exactMedian, overBare, overBareMedian);
  printSplit(photos);
}

// ---- quality ----

double lanczos3(double x) {
  if (x == 0) return 1;
  if (std::fabs(x) >= 3) return 0;
  const double px = std::numbers::pi * x;
  return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

// One axis of the reference: count outputs from size samples, each centred
// where its middle falls, the weights over the samples inside normalized.
std::vector<std::vector<std::pair<int, double>>> referenceTaps(int count, int size) {
  std::vector<std::vector<std::pair<int, double>>> taps;
  taps.resize(std::size_t(count));
  const double step = double(size) / count;
  const double widen = std::max(step, 1.0);
  for (int i = 0; i < count; ++i) {
    const double centre = (i + 0.5) * step - 0.5;
    double sum = 0;
    for (int k = std::max(0, int(std::ceil(centre - 3 * widen)));
         k <= std::min(size - 1, int(std::floor(centre + 3 * widen))); ++k) {
      taps[std::size_t(i)].push_back({k, lanczos3((k - centre) / widen)});
      sum += taps[std::size_t(i)].back().second;
    }
    for (auto& tap : taps[std::size_t(i)]) tap.second /= sum;
  }
  return taps;
}

// The full-size decode reduced straight to width x height, in doubles, three
// channels a pixel.
std::vector<double> referenceReduction(const PixelSurface& picture, int width, int height) {
  const auto across = referenceTaps(width, picture.width());
  const auto down = referenceTaps(height, picture.height());
  std::vector<double> rows(std::size_t(picture.height()) * width * 3);
  for (int y = 0; y < picture.height(); ++y) {
    const batchfit::ColorRef* row = picture.row(y);
    for (int x = 0; x < width; ++x) {
      for (const auto& [k, w] : across[std::size_t(x)]) {
        for (int c = 0; c < 3; ++c) {
          rows[(std::size_t(y) * width + x) * 3 + c] += w * double((row[k] >> (8 * c)) & 0xFF);
        }
      }
    }
  }
  std::vector<double> result(std::size_t(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (const auto& [k, w] : down[std::size_t(y)]) {
      for (std::size_t i = 0; i < std::size_t(width) * 3; ++i) {
        result[std::size_t(y) * width * 3 + i] += w * rows[std::size_t(k) * width * 3 + i];
      }
    }
  }
  return result;
}

// PSNR of an output against the reference of its photo, placed as the run
// placed it: turned outputs are compared turned.
double psnr(const PixelSurface& output, const PixelSurface& picture) {
  batchfit::JobSettings settings;
  settings.mode = batchfit::Mode::ResizeAll;
  const batchfit::Turn turn = batchfit::placementTurn(settings, picture.width(), picture.height());
  const bool turned = turn != batchfit::Turn::None;
  const int width = turned ? TargetHeight : TargetWidth;
  const int height = turned ? TargetWidth : TargetHeight;
  const std::vector<double> reference = referenceReduction(picture, width, height);
  double squares = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Where the run puts the picture's (x, y) after a turn to the left.
      const batchfit::ColorRef pixel =
          turned ? output.getPixel(y, TargetHeight - 1 - x) : output.getPixel(x, y);
      for (int c = 0; c < 3; ++c) {
        const double want = std::clamp(reference[(std::size_t(y) * width + x) * 3 + c], 0.0, 255.0);
        const double error = double((pixel >> (8 * c)) & 0xFF) - want;
        squares += error * error;
      }
    }
  }
  const double mse = squares / (double(width) * height * 3);
  return 10 * std::log10(255.0 * 255.0 / std::max(mse, 1e-12));
}

QImage twoToOne(const PixelSurface& surface) {
  QImage image(surface.width() * 2, surface.height() * 2, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const batchfit::ColorRef c = surface.getPixel(x / 2, y / 2);
      image.setPixel(x, y, qRgb(batchfit::redOf(c), batchfit::greenOf(c), batchfit::blueOf(c)));
    }
  }
  return image;
}

void measureQuality(Runner& runner, const std::string& cli, const std::vector<Photo>& photos,
                    const Photo& plate, const std::filesystem::path& dir,
                    const std::string& pairPath) {
  std::vector<Photo> all = photos;
  all.push_back(plate);
  const std::string exactOut = (dir / "exact").string(), smoothOut = (dir / "smooth").string();
  std::filesystem::create_directory(exactOut);
  std::filesystem::create_directory(smoothOut);
  runner.run(cliRun(cli, exactOut, all, false, true));
  runner.run(cliRun(cli, smoothOut, all, true, true));
  std::printf("\nquality: PSNR against a double-precision Lanczos-3 of the full decode\n");
  double exactSum = 0, smoothSum = 0;
  int count = 0;
  for (const Photo& photo : all) {
    const std::string bmp = std::filesystem::path(photo.path).stem().string() + ".bmp";
    if (!std::filesystem::exists(exactOut + "/" + bmp)) continue;  // too small for the target
    const PixelSurface picture = testpics::referenceDecode(photo.bytes);
    const PixelSurface exact = enginetest::readBmp(exactOut + "/" + bmp);
    const PixelSurface smooth = enginetest::readBmp(smoothOut + "/" + bmp);
    const double e = psnr(exact, picture), s = psnr(smooth, picture);
    std::printf("  %-16s %5d x %-5d  nearest %5.1f dB   smooth %5.1f dB\n", bmp.c_str(),
                picture.width(), picture.height(), e, s);
    if (&photo != &all.back()) {
      exactSum += e;
      smoothSum += s;
      ++count;
    }
    if (&photo == &all.back() && !pairPath.empty()) {
      QImage pair(exact.width() * 4 + 8, exact.height() * 2, QImage::Format_RGB32);
      pair.fill(Qt::white);
      for (const auto& [image, left] :
           {std::pair{twoToOne(exact), 0}, std::pair{twoToOne(smooth), exact.width() * 2 + 8}}) {
        for (int y = 0; y < image.height(); ++y) {
          for (int x = 0; x < image.width(); ++x) pair.setPixel(left + x, y, image.pixel(x, y));
        }
      }
      pair.save(QString::fromStdString(pairPath));
      std::printf("  the zone plate at 2:1, nearest left, smooth right: %s\n", pairPath.c_str());
    }
  }
  std::printf("  average over the %d photos: nearest %.1f dB, smooth %.1f dB (target >= 50)\n",
              count, exactSum / count, smoothSum / count);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--bare-decode") {
    for (std::size_t i = 1; i < args.size(); ++i) bench::bareDecode(testpics::readFile(args[i]));
    return 0;
  }
  Runner runner;
  const std::string pairPath = args.size() == 2 && args[0] == "--pair" ? args[1] : "";
  testpics::TempDir dir;
  std::printf("Smooth scaling to %d x %d. Generating photos...\n", TargetWidth, TargetHeight);
  // Four of the sixteen: the smooth bench is to stay short.
  std::vector<bench::Shot> twelveShots = bench::twelveMegapixelShots();
  twelveShots.resize(4);
  const std::vector<Photo> twelve = writePhotos(dir.path(), "12mp", twelveShots);
  const std::vector<Photo> mixed = writePhotos(dir.path(), "mixed", bench::mixedShots());
  const Photo plate = writeZonePlate(dir.path());
  std::filesystem::create_directory(dir.path() / "out");
  const std::string out = (dir.path() / "out").string();
  measureSpeed(runner, argv[0], BATCHFIT_CLI_PATH, "12 MP", twelve, out);
  measureSpeed(runner, argv[0], BATCHFIT_CLI_PATH, "mixed", mixed, out);
  std::vector<Photo> photos = mixed;
  photos.insert(photos.end(), twelve.begin(), twelve.begin() + 2);
  measureQuality(runner, BATCHFIT_CLI_PATH, photos, plate, dir.path(), pairPath);
  return 0;
}
