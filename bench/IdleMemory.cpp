#include "bench/IdleMemory.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "engine/Run.h"
#include "image/MemoryReuse.h"

namespace bench {

namespace {

// A field of /proc/self/status in MiB ("VmRSS", "VmHWM").
double statusMiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) != 0) continue;
    std::istringstream value(line.substr(field.size() + 1));
    double kiB = 0;
    value >> kiB;
    return kiB / 1024;
  }
  return 0;
}

// The peak from here on: the process's earlier peak is forgotten.
void resetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// The windows as the run sees them, holding what the crop editor holds: a
// copy of the photo shown and its pixels converted for the screen. Every
// photo is confirmed as the editor brought it up.
class EditorLikeFrontEnd : public batchfit::FrontEnd {
 public:
  void showProgress(const batchfit::Progress&) override {}
  void repaintMain() override {}
  bool showMessage(const std::string&) override { return true; }
  void showWarning(const std::string&) override {}
  bool stopAsked() override { return false; }
  batchfit::CropDecision editPicture(const batchfit::PixelSurface& source,
                                     const batchfit::JobSettings& settings, const std::string&,
                                     const std::optional<batchfit::FramedPart>&) override {
    picture_ = source;
    screen_.assign(std::size_t(source.width()) * std::size_t(source.height()), 0);
    for (std::int32_t y = 0; y < source.height(); ++y) {
      const batchfit::ColorRef* row = source.row(y);
      std::copy(row, row + source.width(), screen_.begin() + std::ptrdiff_t(y) * source.width());
    }
    // The frame at the top left, the target's size.
    return {false, {{0, 0, settings.targetWidth, settings.targetHeight}, false}};
  }
  void letGoOfPicture() {
    picture_ = batchfit::PixelSurface();
    std::vector<std::uint32_t>().swap(screen_);
  }

 private:
  batchfit::PixelSurface picture_;
  std::vector<std::uint32_t> screen_;
};

}  // namespace

int idleMemoryRun(const std::string& out, const std::vector<std::string>& files) {
  batchfit::keepFreedBuffersForReuse();
  batchfit::JobSettings settings;
  settings.mode = batchfit::Mode::EditAll;
  settings.outputPath = out + "/";
  settings.files = files;
  settings.jobs = int(std::max(1u, std::thread::hardware_concurrency()));
  EditorLikeFrontEnd frontEnd;
  batchfit::WorkPictures pictures;
  batchfit::RunRecord record;
  const double before = statusMiB("VmRSS");
  resetPeak();
  batchfit::runBatch(settings, frontEnd, pictures, record);
  const double peak = statusMiB("VmHWM");
  const double kept = statusMiB("VmRSS");
  frontEnd.letGoOfPicture();
  batchfit::letGoOfPhotos(pictures);
  const double after = statusMiB("VmRSS");
  std::printf(
      "  before the run %.1f MiB, peak %.1f MiB, after it %.1f MiB as the run leaves it, "
      "%.1f MiB once given back:\n  %.1f MiB above before, target <= 60\n",
      before, peak, kept, after, after - before);
  return record.count(batchfit::FileOutcome::Edited) == int(files.size()) ? 0 : 1;
}

}  // namespace bench
