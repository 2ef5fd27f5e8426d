// Files dragged onto the file list: which drags it takes, and the files a
// drop adds (the files themselves, and the offered files inside folders).
#pragma once

#include <QStringList>
#include <functional>

class QDropEvent;

namespace batchfit {

// The list's answer to a drag entering, moving over or dropped on it: takes
// it as a copy when every item is a local folder or an offered file, and on
// a drop hands the files to add, as a command of its own (an error shows in
// the error box). Returns true: the list handled the event.
bool takeFileDrag(QDropEvent& event, const std::function<void(const QStringList&)>& add);

}  // namespace batchfit
