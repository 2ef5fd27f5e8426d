#include "ui/FileDialogs.h"

#include <QFileDialog>

#include "image/PictureReaders.h"

namespace batchfit {

QStringList offeredFiles(bool otherFormats) {
  QStringList offered = {"*.jpg", "*.bmp", "*.jpeg"};
  if (!otherFormats) return offered;
  for (const std::string& extension : otherFormatExtensions()) {
    const QString pattern = "*." + QString::fromStdString(extension);
    if (!offered.contains(pattern)) offered << pattern;
  }
  return offered;
}

namespace {

// What sets one dialog apart from the others.
struct DialogKind {
  QString caption;
  QFileDialog::AcceptMode accept = QFileDialog::AcceptSave;
  QString nameFilter;     // none: every file
  QString defaultSuffix;  // none: the name as typed
  bool askBeforeReplacing = true;
  bool showHiddenFiles = false;
};

QStringList chosen(QWidget* parent, const DialogKind& kind, const QString& fileName) {
  QFileDialog dialog(parent, kind.caption);
  dialog.setAcceptMode(kind.accept);
  dialog.setFileMode(kind.accept == QFileDialog::AcceptOpen ? QFileDialog::ExistingFiles
                                                            : QFileDialog::AnyFile);
  if (!kind.nameFilter.isEmpty()) dialog.setNameFilter(kind.nameFilter);
  if (!kind.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(kind.defaultSuffix);
  if (!kind.askBeforeReplacing) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (kind.showHiddenFiles) dialog.setFilter(dialog.filter() | QDir::Hidden | QDir::System);
  if (!fileName.isEmpty()) dialog.selectFile(fileName);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

}  // namespace

QStringList chooseInputFiles(QWidget* parent, const QString& fileName, const QStringList& offered) {
  DialogKind kind;
  kind.accept = QFileDialog::AcceptOpen;
  kind.nameFilter = "Graphic Files (" + offered.join(' ') + ")";
  kind.showHiddenFiles = true;
  return chosen(parent, kind, fileName);
}

QString chooseOutputFile(QWidget* parent, const QString& fileName) {
  DialogKind kind;
  kind.askBeforeReplacing = false;
  return chosen(parent, kind, fileName).value(0);
}

QString chooseReportFile(QWidget* parent, const QString& fileName) {
  DialogKind kind;
  kind.caption = "Save Report";
  kind.nameFilter = "CSV Files (*.csv)";
  kind.defaultSuffix = "csv";
  return chosen(parent, kind, fileName).value(0);
}

}  // namespace batchfit
