#include "ui/WindowFrontEnd.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "image/Error.h"
#include "ui/CropEditor.h"
#include "ui/MainWindow.h"
#include "ui/MessageDialog.h"
#include "ui/StopQuestion.h"

namespace batchfit {

void setBarMaximum(QProgressBar& bar, int maximum) {
  const int position = bar.value();
  bar.setRange(0, std::max(maximum, 1));
  bar.setValue(std::clamp(position, 0, std::max(maximum, 0)));
}

WindowFrontEnd::WindowFrontEnd(MainWindow& mainWindow, CropEditor& editor)
    : mainWindow_(mainWindow), editor_(editor) {
  // The editor lets go of its picture before the window gives the photos'
  // memory back.
  QObject::connect(&mainWindow, &MainWindow::runEnded, &editor,
                   [&editor] { editor.letGoOfPicture(); });
  mainWindow_.closeDuringRun = [this] { askToStop(&mainWindow_); };
  editor_.askToStop = [this] { return askToStop(&editor_); };
}

bool WindowFrontEnd::askToStop(QWidget* parent) {
  if (!stopAsked_) stopAsked_ = askToStopRun(parent);
  return stopAsked_;
}

void WindowFrontEnd::showProgress(const Progress& progress) {
  // A run starts with no stop asked, and nothing for "Like Last" to take.
  if (progress.place == 0) {
    stopAsked_ = false;
    editor_.forgetLastFrame();
  }
  for (QProgressBar* bar : {mainWindow_.progressBar(), editor_.progressBar()}) {
    setBarMaximum(*bar, progress.count);
    // Deliberate: at the run's start (place 0) the bar keeps its position.
    if (progress.place > 0) bar->setValue(progress.place);
  }
  const QString text = QString::fromStdString(progress.text());
  for (QLabel* label : {mainWindow_.progressLabel(), editor_.progressLabel()}) label->setText(text);
}

void WindowFrontEnd::repaintMain() {
  mainWindow_.repaintNow();
}

bool WindowFrontEnd::showMessage(const std::string& text) {
  // The report comes after the last photo: the editor waits for none.
  editor_.hide();
  return MessageDialog::showMessage(QString::fromStdString(text));
}

void WindowFrontEnd::showWarning(const std::string& text) {
  MessageDialog::showMessage(QString::fromStdString(errorBoxText(text)));
}

PrepareShow WindowFrontEnd::showAhead() {
  return editor_.showAhead();
}

void WindowFrontEnd::showReady(const PixelSurface& shown) {
  editor_.takeReady(shown);
}

CropDecision WindowFrontEnd::editPicture(const PixelSurface& source, const JobSettings& settings,
                                         const std::string& file,
                                         const std::optional<FramedPart>& remembered) {
  return editor_.editPicture(source, settings, file, remembered);
}

}  // namespace batchfit
