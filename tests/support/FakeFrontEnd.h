// A scripted stand-in for the windows: records every call of the run in
// order, and answers each crop editor show from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine/FrontEnd.h"

namespace enginetest {

// One scripted crop editor show: SKIP, or OK/NEXT with a frame over the
// photo, by default where the editor puts it on a photo higher than the
// default target.
struct EditorAnswer {
  batchfit::CropDecision decision;
  bool stopRun = false;  // the user asks to stop the run instead

  static EditorAnswer skipIt() { return {}; }
  static EditorAnswer stopIt() { return {{}, true}; }
  static EditorAnswer confirm(batchfit::SurfaceRect frame = {0, 0, 176, 220}, bool turned = false) {
    return {{false, {frame, turned}}};
  }
};

class FakeFrontEnd : public batchfit::FrontEnd {
 public:
  void showProgress(const batchfit::Progress& progress) override;
  void repaintMain() override;
  bool showMessage(const std::string& text) override;
  void showWarning(const std::string& text) override;
  batchfit::CropDecision editPicture(
      const batchfit::PixelSurface& source, const batchfit::JobSettings& settings,
      const std::string& file, const std::optional<batchfit::FramedPart>& remembered) override;
  bool stopAsked() override { return stopAsked_; }

  void script(EditorAnswer answer) { answers_.push_back(std::move(answer)); }
  // The user asks to stop the run while the progress shows picture place.
  void stopAtProgress(int place) { stopAtProgress_ = place; }

  // Every call as one line, e.g. "progress Picture 1 of 3", "edit 800x600".
  std::vector<std::string> calls;
  std::vector<std::string> messages;
  std::vector<std::string> warnings;
  // The progress texts the labels showed, in order.
  std::vector<std::string> labels;
  // A checksum of the pixels of each picture the crop editor was shown.
  std::vector<std::uint64_t> shownPixels;
  // The remembered frame each show was given to place, if any.
  std::vector<std::optional<batchfit::FramedPart>> rememberedFrames;

 private:
  std::deque<EditorAnswer> answers_;
  int stopAtProgress_ = 0;
  bool stopAsked_ = false;
};

// The recorded calls that start with prefix, in order.
std::vector<std::string> callsStartingWith(const FakeFrontEnd& fake, const std::string& prefix);

}  // namespace enginetest
