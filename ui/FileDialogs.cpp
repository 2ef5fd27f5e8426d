#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace batchfit {

const QStringList OfferedFiles = {"*.jpg", "*.bmp", "*.jpeg"};

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

QStringList chooseInputFiles(QWidget* parent, const QString& fileName) {
  return chosen(parent,
                {.accept = QFileDialog::AcceptOpen,
                 .nameFilter = "Graphic Files (" + OfferedFiles.join(' ') + ")",
                 .showHiddenFiles = true},
                fileName);
}

QString chooseOutputFile(QWidget* parent, const QString& fileName) {
  return chosen(parent, {.askBeforeReplacing = false}, fileName).value(0);
}

QString chooseReportFile(QWidget* parent, const QString& fileName) {
  return chosen(
             parent,
             {.caption = "Save Report", .nameFilter = "CSV Files (*.csv)", .defaultSuffix = "csv"},
             fileName)
      .value(0);
}

}  // namespace batchfit
