#include "ui/FileDrop.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "ui/ErrorBox.h"
#include "ui/FileDialogs.h"

namespace batchfit {

namespace {

// What a drag brings may be dropped on the list when every item is a local
// folder or a file the open dialog offers. Folders are not looked into
// here: this runs on every move of the drag.
bool droppable(const QMimeData* data) {
  if (!data || data->urls().isEmpty()) return false;
  const QList<QUrl> urls = data->urls();
  return std::all_of(urls.begin(), urls.end(), [](const QUrl& url) {
    if (!url.isLocalFile()) return false;
    const QFileInfo item(url.toLocalFile());
    return item.isDir() || QDir::match(OfferedFiles, item.fileName());
  });
}

// The files a drop adds: each file as dropped, in place of each folder its
// own files that the open dialog offers, in name order, not its subfolders'.
QStringList droppedFiles(const QList<QUrl>& urls) {
  QStringList files;
  for (const QUrl& url : urls) {
    const QString path = url.toLocalFile();
    if (!QFileInfo(path).isDir()) {
      files << path;
      continue;
    }
    const QDir folder(path);
    for (const QString& name :
         folder.entryList(OfferedFiles, QDir::Files | QDir::Hidden | QDir::System,
                          QDir::Name | QDir::IgnoreCase)) {
      files << folder.filePath(name);
    }
  }
  return files;
}

}  // namespace

bool takeFileDrag(QDropEvent& event, const std::function<void(const QStringList&)>& add) {
  // A drop adds names to the list and never moves the files themselves, so
  // it is a copy or nothing.
  if (!droppable(event.mimeData()) || !(event.possibleActions() & Qt::CopyAction)) {
    event.ignore();
    return true;
  }
  event.setDropAction(Qt::CopyAction);
  event.accept();
  if (event.type() == QEvent::Drop) guarded([&] { add(droppedFiles(event.mimeData()->urls())); });
  return true;
}

}  // namespace batchfit
