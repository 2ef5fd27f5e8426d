// The run's view of the two windows: the progress of the main window and the
// crop editor, report messages in the message dialog, and the crop editor.
#pragma once

#include "FrontEnd.h"

class QLabel;
class QProgressBar;

namespace batchfit {

class MainWindow;
class CropEditor;

class WindowFrontEnd : public FrontEnd {
 public:
  WindowFrontEnd(MainWindow& mainWindow, CropEditor& editor);

  void setProgressMaximum(Window window, int maximum) override;
  void setProgressPosition(Window window, int position) override;
  void setLabel(Window window, const std::string& text) override;
  void repaintMain() override;
  void showMessage(const std::string& text) override;
  bool editPicture(const PixelSurface& source, PictureRole& target,
                   const JobSettings& settings) override;

 private:
  QProgressBar& bar(Window window) const;
  QLabel& label(Window window) const;

  MainWindow& mainWindow_;
  CropEditor& editor_;
};

// Sets a bar's maximum. The position stays, held within the new range; a
// maximum of 0 shows an empty bar rather than the busy animation.
void setBarMaximum(QProgressBar& bar, int maximum);

}  // namespace batchfit
