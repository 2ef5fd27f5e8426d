// The main window's file dialogs: the photos to add, the output folder (by a
// file name in it) and the report's file, all built by one builder.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace batchfit {

// The kinds of file the open dialog offers, and a drop adds; like the
// dialog, they match whatever the case of the extension.
extern const QStringList OfferedFiles;

// The open dialog, several files at once: the full paths chosen, empty when
// cancelled. Opens on fileName where one is given.
QStringList chooseInputFiles(QWidget* parent, const QString& fileName);
// The save dialog for the output: any name, no question before an existing
// file; only its folder counts. Empty when cancelled.
QString chooseOutputFile(QWidget* parent, const QString& fileName);
// The save dialog for the report as CSV. Empty when cancelled.
QString chooseReportFile(QWidget* parent, const QString& fileName);

}  // namespace batchfit
