// What the run needs of the windows: progress bars and labels of the main
// window and the crop editor, a repaint, report messages and the crop editor.
// Tests drive the run through a scripted fake of it.
#pragma once

#include <string>

#include "JobSettings.h"
#include "PictureRole.h"
#include "PixelSurface.h"

namespace batchfit {

enum class Window { Main, Editor };

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  virtual void setProgressMaximum(Window window, int maximum) = 0;
  virtual void setProgressPosition(Window window, int position) = 0;
  virtual void setLabel(Window window, const std::string& text) = 0;
  // Repaints the main window at once, so the new progress shows before the
  // pixel work starts.
  virtual void repaintMain() = 0;
  // Shows one report line in a modal message dialog and waits for it to close.
  virtual void showMessage(const std::string& text) = 0;
  // Makes the crop editor's picture a copy of source, shows the editor
  // modally and waits. On "OK/NEXT" the editor fills target (TI) from the
  // frame. Returns editorSkipped as the editor's last command left it.
  virtual bool editPicture(const PixelSurface& source, PictureRole& target,
                           const JobSettings& settings) = 0;
};

}  // namespace batchfit
