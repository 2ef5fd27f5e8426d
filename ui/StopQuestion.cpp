#include "ui/StopQuestion.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "ui/ErrorBox.h"

namespace batchfit {

bool askToStopRun(QWidget* parent) {
  // A drag in progress would otherwise keep the pointer captured under the box.
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  QMessageBox box(QMessageBox::Question, applicationTitle(),
                  QStringLiteral("Stop the run? The pictures written so far stay."),
                  QMessageBox::NoButton, parent);
  QPushButton* stop = box.addButton(QStringLiteral("&Stop the Run"), QMessageBox::DestructiveRole);
  QPushButton* goOn = box.addButton(QStringLiteral("Go On"), QMessageBox::RejectRole);
  // A stray key goes on: only a deliberate choice stops the run.
  box.setDefaultButton(goOn);
  box.setEscapeButton(goOn);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return box.clickedButton() == stop;
}

}  // namespace batchfit
