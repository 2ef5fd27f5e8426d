#include "ui/InputBlock.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace batchfit {

namespace {

bool isInputEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
      return true;
    default:
      return false;
  }
}

}  // namespace

InputBlock::InputBlock(QWidget& window) : QObject(&window), window_(window) {}

bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
  if (!isInputEvent(event->type())) return false;
  if (watched->isWidgetType()) return static_cast<QWidget*>(watched)->window() == &window_;
  return watched == static_cast<QObject*>(window_.windowHandle());
}

InputBlock::Scope::Scope(InputBlock& block) : block_(block) {
  block_.active_ = true;
  qApp->installEventFilter(&block_);
}

InputBlock::Scope::~Scope() {
  QCoreApplication::processEvents();
  qApp->removeEventFilter(&block_);
  block_.active_ = false;
}

}  // namespace batchfit
