#include "cli/TerminalFrontEnd.h"

#include <algorithm>

namespace batchfit {

namespace {
constexpr int BarWidth = 30;

std::string clockText(long seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", seconds / 60, seconds % 60);
  return text;
}
}  // namespace

TerminalFrontEnd::TerminalFrontEnd(std::FILE* report, std::FILE* progress)
    : report_(report), progress_(progress) {}

void TerminalFrontEnd::showProgress(const Progress& progress) {
  if (progress.place == 0) {
    start_ = std::chrono::steady_clock::now();  // the time left is reckoned from here
  } else {
    position_ = progress.place;
  }
  maximum_ = progress.count;
  label_ = progress.text();
}

std::string TerminalFrontEnd::progressLine() const {
  const int shown = maximum_ > 0 ? std::clamp(position_, 0, maximum_) : 0;
  const int filled = maximum_ > 0 ? shown * BarWidth / maximum_ : 0;
  std::string line =
      label_ + " [" + std::string(filled, '#') + std::string(BarWidth - filled, '.') + "]";
  // The picture being worked on is not done yet: estimate from those before it.
  const int done = shown - 1;
  if (done > 0) {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    const double perPicture = std::chrono::duration<double>(elapsed).count() / done;
    line += " " + clockText(long(perPicture * (maximum_ - done) + 0.5)) + " left";
  }
  return line;
}

void TerminalFrontEnd::repaintMain() {
  if (!progress_) return;
  std::fprintf(progress_, "\r\033[K%s", progressLine().c_str());
  std::fflush(progress_);
  lineShown_ = true;
}

void TerminalFrontEnd::finishProgress() {
  if (!progress_ || !lineShown_) return;
  std::fputs("\r\033[K", progress_);
  std::fflush(progress_);
  lineShown_ = false;
}

void TerminalFrontEnd::showMessage(const std::string& text) {
  finishProgress();
  std::fprintf(report_, "%s\n", text.c_str());
}

CropDecision TerminalFrontEnd::editPicture(const PixelSurface&, const JobSettings&,
                                           const std::string&) {
  // Never asked: the command line always reports mismatches instead. Should
  // it be asked all the same, the picture is passed over, as "SKIP" would.
  return {};
}

}  // namespace batchfit
