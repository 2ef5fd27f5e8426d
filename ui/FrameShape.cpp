#include "ui/FrameShape.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace batchfit {

namespace {

const QColor LightLine(255, 255, 255);
const QColor DarkEdge(0, 0, 0, 170);

void fillRing(QPainter& painter, const QRect& outer, int thickness, const QColor& colour) {
  painter.fillRect(QRect(outer.left(), outer.top(), outer.width(), thickness), colour);
  painter.fillRect(QRect(outer.left(), outer.bottom() - thickness + 1, outer.width(), thickness),
                   colour);
  const int inner = outer.height() - 2 * thickness;
  painter.fillRect(QRect(outer.left(), outer.top() + thickness, thickness, inner), colour);
  painter.fillRect(QRect(outer.right() - thickness + 1, outer.top() + thickness, thickness, inner),
                   colour);
}

Qt::CursorShape cursorShape(CursorKind kind) {
  switch (kind) {
    case CursorKind::Move:
      return Qt::SizeAllCursor;
    case CursorKind::SizeDiagonal:
      return Qt::SizeFDiagCursor;
    case CursorKind::Arrow:
      break;
  }
  return Qt::ArrowCursor;
}

}  // namespace

QPoint floored(QPointF p) {
  return {int(std::floor(p.x())), int(std::floor(p.y()))};
}

FrameShape::FrameShape(Look look, QWidget* parent) : QWidget(parent), look_(look) {
  // Moves without a button held reach the frame and the handle too.
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
}

void FrameShape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (look_ == Look::Filled) {
    painter.fillRect(rect(), LightLine);
    fillRing(painter, rect(), 1, DarkEdge);
  } else if (look_ == Look::Outline) {
    // A light line with a thin dark edge on either side, inside the bounds,
    // so it shows on light and dark photos alike; the inside stays see-through.
    fillRing(painter, rect(), 1, DarkEdge);
    fillRing(painter, rect().adjusted(1, 1, -1, -1), 3, LightLine);
    fillRing(painter, rect().adjusted(4, 4, -4, -4), 1, DarkEdge);
  }
}

void FrameShape::showCursor(CursorKind kind) {
  if (kind == CursorKind::Arrow) return;
  if (!testAttribute(Qt::WA_SetCursor) || cursor().shape() != cursorShape(kind)) {
    setCursor(cursorShape(kind));
  }
}

QPoint FrameShape::atCanvas(const QMouseEvent& event) const {
  return pos() + floored(event.position());
}

void FrameShape::mousePressEvent(QMouseEvent* event) {
  if (onPress) onPress(*event, atCanvas(*event));
}

void FrameShape::mouseMoveEvent(QMouseEvent* event) {
  if (onMove) onMove(*event, atCanvas(*event));
}

void FrameShape::mouseReleaseEvent(QMouseEvent* event) {
  if (onRelease) onRelease(*event, atCanvas(*event));
}

}  // namespace batchfit
