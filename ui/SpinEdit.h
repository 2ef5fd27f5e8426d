// The number box of the main window: a one-line text with an up and a down
// arrow button at its right edge, read as a 32-bit integer on demand.
#pragma once

#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace batchfit {

// One arrow button. It steps once when released with the pointer on it;
// while held down it also steps on its own, first after 400 ms and then every
// 100 ms, for as long as the pointer stays on it.
class SpinArrow : public QWidget {
 public:
  enum class Direction { Up, Down };
  static constexpr int RepeatDelayMs = 400;
  static constexpr int RepeatIntervalMs = 100;

  SpinArrow(Direction direction, std::function<void()> step, QWidget* parent);
  bool isDown() const { return down_; }
  const QTimer& repeatTimer() const { return repeat_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void repeatStep();

  Direction direction_;
  std::function<void()> step_;
  QTimer repeat_;
  bool down_ = false;
  bool pointerOn_ = false;
};

// The text box of a spin edit: it filters typing, paste and cut by the box's
// rule and writes back the clamped value when it loses the focus.
class SpinLineEdit : public QLineEdit {
 public:
  SpinLineEdit(class SpinEdit& owner, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool acceptsCharacter(QChar c) const;

  SpinEdit& owner_;
};

// A number box with a minimum, a maximum and an increment of 1. A box whose
// minimum equals its maximum has no bounds. With the editor disabled the
// text can only be changed by the arrows and the Delete key.
class SpinEdit : public QWidget {
 public:
  SpinEdit(std::int32_t minValue, std::int32_t maxValue, bool editorEnabled, QWidget* parent);
  ~SpinEdit() override;

  // The text read as a number; the minimum when it is none. Never changes the text.
  std::int32_t value() const;
  // Writes the value, clamped to the bounds, as a plain decimal number.
  void setValue(std::int32_t value);
  // Adds delta to the value as read, clamps it and writes it back.
  void stepBy(std::int32_t delta);
  // Writes the clamped value back when the value as read is out of bounds.
  void clampText();

  QString text() const { return edit_->text(); }
  void setText(const QString& text) { edit_->setText(text); }
  std::int32_t minValue() const { return minValue_; }
  std::int32_t maxValue() const { return maxValue_; }
  bool editorEnabled() const { return editorEnabled_; }

  SpinLineEdit* editor() const { return edit_; }
  SpinArrow* upButton() const { return up_; }
  SpinArrow* downButton() const { return down_; }

 private:
  std::int32_t minValue_;
  std::int32_t maxValue_;
  bool editorEnabled_;
  SpinLineEdit* edit_;
  SpinArrow* up_;
  SpinArrow* down_;
};

}  // namespace batchfit
