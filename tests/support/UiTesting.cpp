#include "tests/support/UiTesting.h"

#include <QDialog>
#include <QLabel>
#include <utility>

#include "ui/MessageDialog.h"

namespace uitest {

namespace {

QString modalText(QWidget* modal) {
  if (auto* box = qobject_cast<QMessageBox*>(modal)) return box->text();
  if (auto* dialog = dynamic_cast<batchfit::MessageDialog*>(modal)) return dialog->message();
  return {};
}

QString modalClass(QWidget* modal) {
  if (dynamic_cast<batchfit::MessageDialog*>(modal)) return "MessageDialog";
  return modal->metaObject()->className();
}

}  // namespace

ModalAnswerer::ModalAnswerer(std::function<void(QWidget*)> answer)
    : answer_(answer ? std::move(answer) : acceptModal) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] { check(); });
  timer_.start(0);
}

ModalAnswerer::~ModalAnswerer() {
  timer_.stop();
}

void ModalAnswerer::check() {
  // Armed first, so that a modal window the answer itself leads to is answered too.
  timer_.start(5);
  QWidget* modal = QApplication::activeModalWidget();
  if (modal && modal->isVisible() && modal != answering_) {
    seen.push_back({modalClass(modal), modal->windowTitle(), modalText(modal)});
    QWidget* outer = std::exchange(answering_, modal);
    answer_(modal);
    answering_ = outer;
  }
}

void acceptModal(QWidget* modal) {
  if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
}

}  // namespace uitest
