#include "ui/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace batchfit {

namespace {

// Draws at GlyphSize x GlyphSize logical pixels, kept sharp on dense screens.
QIcon drawGlyph(const std::function<void(QPainter&)>& draw) {
  constexpr int scale = 2;
  QPixmap pixmap(GlyphSize * scale, GlyphSize * scale);
  pixmap.setDevicePixelRatio(scale);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  draw(painter);
  painter.end();
  return QIcon(pixmap);
}

void drawListLines(QPainter& painter) {
  painter.setPen(QPen(QColor(60, 60, 60), 2, Qt::SolidLine, Qt::FlatCap));
  for (int y : {5, 10, 15}) painter.drawLine(QPointF(10, y), QPointF(19, y));
}

void drawBar(QPainter& painter, const QColor& color, bool vertical) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  painter.drawRect(QRectF(1, 8.5, 8, 3));
  if (vertical) painter.drawRect(QRectF(3.5, 6, 3, 8));
}

}  // namespace

QIcon addFilesGlyph() {
  return drawGlyph([](QPainter& painter) {
    drawListLines(painter);
    drawBar(painter, QColor(0, 140, 0), true);
  });
}

QIcon removeFilesGlyph() {
  return drawGlyph([](QPainter& painter) {
    drawListLines(painter);
    drawBar(painter, QColor(200, 0, 0), false);
  });
}

QIcon outputFolderGlyph() {
  return drawGlyph([](QPainter& painter) {
    // The folder: a tab on the back, the body in front.
    painter.setPen(QPen(QColor(150, 110, 0), 1));
    painter.setBrush(QColor(240, 200, 40));
    QPainterPath folder;
    folder.moveTo(1.5, 8.5);
    folder.lineTo(1.5, 18.5);
    folder.lineTo(16.5, 18.5);
    folder.lineTo(16.5, 9.5);
    folder.lineTo(8.5, 9.5);
    folder.lineTo(7, 8);
    folder.lineTo(3, 8);
    folder.closeSubpath();
    painter.drawPath(folder);
    painter.setBrush(QColor(255, 225, 90));
    painter.drawRect(QRectF(1.5, 11.5, 15, 7));
    // The arrow: from the upper right, curving down into the folder.
    painter.setPen(QPen(QColor(0, 150, 0), 2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    QPainterPath arc;
    arc.moveTo(18.5, 2.5);
    arc.cubicTo(13, 1, 9.5, 3, 9.5, 9);
    painter.drawPath(arc);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 150, 0));
    painter.drawPolygon(QPolygonF({QPointF(6, 8), QPointF(13, 8), QPointF(9.5, 13)}));
  });
}

QIcon startGlyph() {
  return drawGlyph([](QPainter& painter) {
    painter.setPen(QPen(QColor(0, 40, 140), 1));
    painter.setBrush(QColor(30, 90, 220));
    painter.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(17.5, 10), QPointF(4, 17.5)}));
  });
}

}  // namespace batchfit
