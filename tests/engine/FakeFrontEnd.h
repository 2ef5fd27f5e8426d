// A scripted stand-in for the windows: records every call of the run in
// order, and answers each crop editor show from a script.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "FrontEnd.h"

namespace enginetest {

// One scripted crop editor show: SKIP, or OK/NEXT with TI filled by `fill`.
struct EditorAnswer {
  bool skip = true;
  std::function<void(batchfit::PixelSurface& target)> fill;

  static EditorAnswer skipIt() { return {}; }
  static EditorAnswer confirm(batchfit::ColorRef colour);
};

class FakeFrontEnd : public batchfit::FrontEnd {
 public:
  void setProgressMaximum(batchfit::Window window, int maximum) override;
  void setProgressPosition(batchfit::Window window, int position) override;
  void setLabel(batchfit::Window window, const std::string& text) override;
  void repaintMain() override;
  void showMessage(const std::string& text) override;
  bool editPicture(const batchfit::PixelSurface& source, batchfit::PictureRole& target,
                   const batchfit::JobSettings& settings) override;

  void script(EditorAnswer answer) { answers_.push_back(std::move(answer)); }

  // Every call as one line, e.g. "label main Picture 1 of 3", "edit 800x600".
  std::vector<std::string> calls;
  std::vector<std::string> messages;
  std::vector<std::string> mainLabels;
  int mainPosition = -1;
  int editorPosition = -1;

 private:
  std::deque<EditorAnswer> answers_;
};

// The recorded calls that start with prefix, in order.
std::vector<std::string> callsStartingWith(const FakeFrontEnd& fake, const std::string& prefix);

}  // namespace enginetest
