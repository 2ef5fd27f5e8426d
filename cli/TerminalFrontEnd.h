// The run's front end on a terminal: progress on standard error (one line
// that redraws, only on a terminal), report lines on standard output.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/FrontEnd.h"

namespace batchfit {

class TerminalFrontEnd : public FrontEnd {
 public:
  // progress: where the redrawn line goes, or nullptr for none.
  TerminalFrontEnd(std::FILE* report, std::FILE* progress);

  void showProgress(const Progress& progress) override;
  void repaintMain() override;
  bool showMessage(const std::string& text) override;
  // On standard error, where the run's errors go.
  void showWarning(const std::string& text) override;
  CropDecision editPicture(const PixelSurface& source, const JobSettings& settings,
                           const std::string& file,
                           const std::optional<FramedPart>& remembered) override;
  // A script stops a run by ending the program: never asked here.
  bool stopAsked() override { return false; }

  // Clears the progress line, so what follows starts on a clean line.
  void finishProgress();

 private:
  std::string progressLine() const;

  std::FILE* report_;
  std::FILE* progress_;
  int maximum_ = 0;
  int position_ = 0;
  std::string label_;
  bool lineShown_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace batchfit
