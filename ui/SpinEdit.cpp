#include "ui/SpinEdit.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QVBoxLayout>

#include "ui/ErrorBox.h"
#include "ui/SpinValue.h"

namespace batchfit {

// ---- SpinArrow

SpinArrow::SpinArrow(Direction direction, std::function<void()> step, QWidget* parent)
    : QWidget(parent), direction_(direction), step_(std::move(step)) {
  setFocusPolicy(Qt::NoFocus);
  setFixedWidth(15);
  repeat_.setSingleShot(true);
  QObject::connect(&repeat_, &QTimer::timeout, this, [this] { repeatStep(); });
}

void SpinArrow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOption option;
  option.initFrom(this);
  option.state |= (down_ && pointerOn_) ? QStyle::State_Sunken : QStyle::State_Raised;
  style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, this);
  option.rect = rect().adjusted(3, 2, -3, -2);
  style()->drawPrimitive(
      direction_ == Direction::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
      &option, &painter, this);
}

void SpinArrow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  // The arrows work on the text box beside them, so it takes the focus.
  if (parentWidget()) parentWidget()->setFocus(Qt::MouseFocusReason);
  down_ = true;
  pointerOn_ = true;
  repeat_.start(RepeatDelayMs);
  update();
}

void SpinArrow::mouseMoveEvent(QMouseEvent* event) {
  const bool on = rect().contains(event->position().toPoint());
  if (on == pointerOn_) return;
  pointerOn_ = on;
  update();
}

void SpinArrow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !down_) return;
  repeat_.stop();
  down_ = false;
  update();
  if (rect().contains(event->position().toPoint())) guarded(step_);
}

void SpinArrow::repeatStep() {
  if (!down_) return;
  repeat_.start(RepeatIntervalMs);
  if (pointerOn_) guarded(step_);
}

// ---- SpinLineEdit

SpinLineEdit::SpinLineEdit(SpinEdit& owner, QWidget* parent) : QLineEdit(parent), owner_(owner) {
  // Composed input would bypass the typing rule; numbers need none.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setAcceptDrops(owner.editorEnabled());
}

bool SpinLineEdit::acceptsCharacter(QChar c) const {
  if (!owner_.editorEnabled()) return false;
  return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' ||
         QString(c) == QLocale::system().decimalPoint();
}

void SpinLineEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Up || key == Qt::Key_Down) {
    guarded([&] { owner_.stepBy(key == Qt::Key_Up ? 1 : -1); });
    return;
  }
  if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)) {
    if (owner_.editorEnabled()) QLineEdit::keyPressEvent(event);
    return;
  }
  // Deliberate: Enter is refused, and Backspace where the box cannot be typed
  // into, while Delete still removes characters there.
  const bool refused = key == Qt::Key_Return || key == Qt::Key_Enter ||
                       (key == Qt::Key_Backspace && !owner_.editorEnabled());
  if (refused) {
    QApplication::beep();
    return;
  }
  const QString text = event->text();
  const bool control = text.isEmpty() || text[0] < u' ' || text[0] == u'\x7f' ||
                       key == Qt::Key_Delete || (event->modifiers() & Qt::ControlModifier);
  if (control || acceptsCharacter(text[0])) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  QApplication::beep();
}

void SpinLineEdit::focusOutEvent(QFocusEvent* event) {
  owner_.clampText();
  QLineEdit::focusOutEvent(event);
}

void SpinLineEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  if (!owner_.editorEnabled()) {
    for (QAction* action : menu->actions()) {
      if (action->objectName() == "edit-cut" || action->objectName() == "edit-paste") {
        action->setEnabled(false);
      }
    }
  }
  menu->popup(event->globalPos());
}

// The middle button pastes the selection on X11; a box that cannot be typed
// into takes no paste.
void SpinLineEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && !owner_.editorEnabled()) return;
  QLineEdit::mousePressEvent(event);
}

void SpinLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && !owner_.editorEnabled()) return;
  QLineEdit::mouseReleaseEvent(event);
}

// ---- SpinEdit

SpinEdit::SpinEdit(std::int32_t minValue, std::int32_t maxValue, bool editorEnabled,
                   QWidget* parent)
    : QWidget(parent),
      minValue_(minValue),
      maxValue_(maxValue),
      editorEnabled_(editorEnabled),
      edit_(new SpinLineEdit(*this, this)),
      up_(new SpinArrow(
          SpinArrow::Direction::Up, [this] { stepBy(1); }, this)),
      down_(new SpinArrow(
          SpinArrow::Direction::Down, [this] { stepBy(-1); }, this)) {
  auto* arrows = new QVBoxLayout;
  arrows->setContentsMargins(0, 0, 0, 0);
  arrows->setSpacing(0);
  arrows->addWidget(up_);
  arrows->addWidget(down_);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(edit_);
  row->addLayout(arrows);
  setFocusProxy(edit_);
  setFocusPolicy(Qt::StrongFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

// The text box leaves the focus while this box is still whole: once only the
// QWidget part is left, its focus-out must not reach back here.
SpinEdit::~SpinEdit() {
  edit_->clearFocus();
}

std::int32_t SpinEdit::value() const {
  return readSpinValue(edit_->text().toStdString(), minValue_);
}

void SpinEdit::setValue(std::int32_t value) {
  edit_->setText(QString::number(clampSpinValue(value, minValue_, maxValue_)));
}

void SpinEdit::stepBy(std::int32_t delta) {
  setValue(stepSpinValue(value(), delta));
}

void SpinEdit::clampText() {
  const std::int32_t read = value();
  if (clampSpinValue(read, minValue_, maxValue_) != read) setValue(read);
}

}  // namespace batchfit
