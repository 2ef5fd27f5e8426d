#include "WindowFrontEnd.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>

#include "CropEditor.h"
#include "MainWindow.h"
#include "MessageDialog.h"

namespace batchfit {

void setBarMaximum(QProgressBar& bar, int maximum) {
  const int position = bar.value();
  bar.setRange(0, std::max(maximum, 1));
  bar.setValue(std::clamp(position, 0, std::max(maximum, 0)));
}

WindowFrontEnd::WindowFrontEnd(MainWindow& mainWindow, CropEditor& editor)
    : mainWindow_(mainWindow), editor_(editor) {}

QProgressBar& WindowFrontEnd::bar(Window window) const {
  return window == Window::Main ? *mainWindow_.progressBar() : *editor_.progressBar();
}

QLabel& WindowFrontEnd::label(Window window) const {
  return window == Window::Main ? *mainWindow_.progressLabel() : *editor_.progressLabel();
}

void WindowFrontEnd::setProgressMaximum(Window window, int maximum) {
  setBarMaximum(bar(window), maximum);
}

void WindowFrontEnd::setProgressPosition(Window window, int position) {
  bar(window).setValue(position);
}

void WindowFrontEnd::setLabel(Window window, const std::string& text) {
  label(window).setText(QString::fromStdString(text));
}

void WindowFrontEnd::repaintMain() {
  mainWindow_.repaintNow();
}

void WindowFrontEnd::showMessage(const std::string& text) {
  MessageDialog::showMessage(QString::fromStdString(text));
}

bool WindowFrontEnd::editPicture(const PixelSurface& source, PictureRole& target,
                                 const JobSettings& settings) {
  return editor_.editPicture(source, target, settings);
}

}  // namespace batchfit
