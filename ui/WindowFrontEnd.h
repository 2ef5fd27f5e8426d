// The run's view of the two windows: the progress of the main window and the
// crop editor, report messages in the message dialog, the crop editor, and
// the user's request to stop the run (from the editor, or a close request on
// the main window during the run).
#pragma once

#include "engine/FrontEnd.h"

class QProgressBar;
class QWidget;

namespace batchfit {

class MainWindow;
class CropEditor;

class WindowFrontEnd : public FrontEnd {
 public:
  WindowFrontEnd(MainWindow& mainWindow, CropEditor& editor);

  void showProgress(const Progress& progress) override;
  void repaintMain() override;
  bool showMessage(const std::string& text) override;
  // In the message dialog, as the report lines are shown.
  void showWarning(const std::string& text) override;
  CropDecision editPicture(const PixelSurface& source, const JobSettings& settings,
                           const std::string& file,
                           const std::optional<FramedPart>& remembered) override;
  bool stopAsked() override { return stopAsked_; }
  PrepareShow showAhead() override;
  void showReady(const PixelSurface& shown) override;

 private:
  // Asks over parent, unless the user has asked already.
  bool askToStop(QWidget* parent);

  MainWindow& mainWindow_;
  CropEditor& editor_;
  bool stopAsked_ = false;
};

// Sets a bar's maximum. The position stays, held within the new range; a
// maximum of 0 shows an empty bar rather than the busy animation.
void setBarMaximum(QProgressBar& bar, int maximum);

}  // namespace batchfit
