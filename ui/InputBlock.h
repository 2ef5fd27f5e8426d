// A window that takes no input while a run goes on: what the user does
// meanwhile is thrown away, so that none of it takes effect once the run is
// over. The run itself repaints the window and shows its dialogs.
#pragma once

#include <QObject>

class QWidget;

namespace batchfit {

class InputBlock : public QObject {
 public:
  explicit InputBlock(QWidget& window);

  bool active() const { return active_; }

  // Blocks the window's input for the scope's life. Input that queued up
  // meanwhile is delivered, and dropped, before the window takes input again.
  class Scope {
   public:
    explicit Scope(InputBlock& block);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    InputBlock& block_;
  };

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  bool active_ = false;
};

}  // namespace batchfit
