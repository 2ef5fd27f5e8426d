// Helpers for the window tests: answering modal windows from a timer, and
// sending simulated input.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <functional>
#include <ostream>
#include <vector>

// Test failures show texts as they read.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace uitest {

// What a modal window showed when it was answered.
struct SeenModal {
  QString className;
  QString title;
  QString text;
};

// Answers every modal window that comes up while it lives: records it, then
// runs `answer` on it (by default: accept it), which must close it. The check is re-armed as a
// single-shot timer, so it also fires inside the modal window's own loop.
class ModalAnswerer {
 public:
  explicit ModalAnswerer(std::function<void(QWidget*)> answer = {});
  ~ModalAnswerer();
  ModalAnswerer(const ModalAnswerer&) = delete;
  ModalAnswerer& operator=(const ModalAnswerer&) = delete;

  std::vector<SeenModal> seen;

 private:
  void check();

  std::function<void(QWidget*)> answer_;
  QTimer timer_;
  // The window being answered: an answer that lets events through sees it again.
  QWidget* answering_ = nullptr;
};

// Accepts the modal window: its default button for a dialog.
void acceptModal(QWidget* modal);

}  // namespace uitest
