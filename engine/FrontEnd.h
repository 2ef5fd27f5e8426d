// What the run needs of the windows: its progress, a repaint, report messages
// and the crop editor. Tests drive the run through a scripted fake of it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/CropDecision.h"
#include "engine/JobSettings.h"
#include "image/PixelSurface.h"

namespace batchfit {

// How far the run is: the place in the list of the picture being worked on
// (0 when the run starts) and the number of listed files.
struct Progress {
  int place = 0;
  int count = 0;
  std::string text() const {
    return "Picture " + std::to_string(place) + " of " + std::to_string(count);
  }
};

// What the crop editor first shows of a picture decoded whole, made on the
// worker that decoded it, so the editor need not make it while the user
// waits; none where the editor makes its own. Runs on worker threads.
using PrepareShow = std::function<std::optional<PixelSurface>(const PixelSurface&)>;

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // Shows the progress on the main window and on the crop editor alike: both
  // labels read its text, both bars run to count. When the run starts (place
  // 0) the bars keep the position the last run left them at; from then on
  // they show the place.
  virtual void showProgress(const Progress& progress) = 0;
  // Repaints the main window at once, so the new progress shows before the
  // pixel work starts.
  virtual void repaintMain() = 0;
  // Shows one report line in a modal message dialog and waits for it to
  // close. False when the user closed the rest of the run's report with it.
  virtual bool showMessage(const std::string& text) = 0;
  // Tells of a problem the run goes on past without the part it concerns
  // (a store of remembered frames it cannot use), and waits where it shows.
  virtual void showWarning(const std::string& text) = 0;
  // Makes the crop editor's picture a copy of source, the picture read from
  // the listed file, shows the editor modally and waits. The frame comes up
  // where remembered lays it, where given, else where the show puts it.
  // Returns what the user chose, for the run to commit; its skipped is
  // editorSkipped as the editor's last command left it.
  virtual CropDecision editPicture(const PixelSurface& source, const JobSettings& settings,
                                   const std::string& file,
                                   const std::optional<FramedPart>& remembered) = 0;
  // Whether the user has asked to stop the run since it started: in the
  // crop editor, or while the main window showed the progress. The run then
  // ends at the picture it is at, as an error ends it, without the error box.
  virtual bool stopAsked() = 0;
  // How the workers that decode ahead may prepare what the crop editor
  // shows first; asked once as a run starts. None by default.
  virtual PrepareShow showAhead() { return {}; }
  // What a worker prepared for the picture editPicture is about to show.
  virtual void showReady(const PixelSurface& shown) { (void)shown; }
};

}  // namespace batchfit
