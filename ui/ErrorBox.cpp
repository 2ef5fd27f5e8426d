#include "ui/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <cctype>

#include "image/PathRules.h"

namespace batchfit {

std::string titleFromProgramPath(std::string_view path, std::string_view folderDelimiters) {
  std::string name = namePart(path, folderDelimiters);
  name = name.substr(0, name.find('.'));
  for (std::size_t i = 1; i < name.size(); ++i) {
    name[i] = char(std::tolower(static_cast<unsigned char>(name[i])));
  }
  return name;
}

QString applicationTitle() {
  static const QString title = QString::fromStdString(titleFromProgramPath(
      QCoreApplication::applicationFilePath().toStdString(), PlatformFolderDelimiters));
  return title;
}

void showErrorBox(const std::string& message) {
  // A drag in progress would otherwise keep the pointer captured under the box.
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  QMessageBox box(QMessageBox::Critical, applicationTitle(),
                  QString::fromStdString(errorBoxText(message)), QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void guarded(const std::function<void()>& command,
             const std::function<void(const std::string& message)>& failed) {
  std::string message;
  try {
    command();
    return;
  } catch (const std::exception& failure) {
    message = messageOf(failure);
  }
  if (failed) failed(message);
  showErrorBox(message);
}

}  // namespace batchfit
