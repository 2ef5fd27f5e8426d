// The question before the user stops a run: from the crop editor's "STOP",
// or a request to close the crop editor or the main window during the run.
#pragma once

class QWidget;

namespace batchfit {

// Asks "Stop the run? The pictures written so far stay." in a box modal to
// the whole program; true when the user chose "Stop the Run" (Alt+S). "Go
// On" is the default: Return and Escape go on.
bool askToStopRun(QWidget* parent);

}  // namespace batchfit
