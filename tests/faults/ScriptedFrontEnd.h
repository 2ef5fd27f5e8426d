// A scripted front end for the fault runs: records every call of the run in
// order, and passes over every picture the crop editor would be shown.
#pragma once

#include <string>
#include <vector>

#include "FrontEnd.h"

namespace faults {

class ScriptedFrontEnd : public batchfit::FrontEnd {
 public:
  void setProgressMaximum(batchfit::Window window, int maximum) override;
  void setProgressPosition(batchfit::Window window, int position) override;
  void setLabel(batchfit::Window window, const std::string& text) override;
  void repaintMain() override;
  void showMessage(const std::string& text) override;
  bool editPicture(const batchfit::PixelSurface& source, batchfit::PictureRole& target,
                   const batchfit::JobSettings& settings) override;

  // Every call as one line, e.g. "label main Picture 1 of 3", "message ...".
  std::vector<std::string> calls;

  // The main window's labels and the report lines shown, in order.
  std::vector<std::string> mainLabels() const { return withPrefix("label main "); }
  std::vector<std::string> messages() const { return withPrefix("message "); }
  std::vector<std::string> edits() const { return withPrefix("edit "); }

 private:
  std::vector<std::string> withPrefix(const std::string& prefix) const;
};

}  // namespace faults
