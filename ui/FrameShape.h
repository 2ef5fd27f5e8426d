// The crop frame and its handle on screen: what they look like, and the
// mouse events they pass on to the editor.
#pragma once

#include <QWidget>
#include <functional>

#include "editor/CropFrame.h"

class QMouseEvent;

namespace batchfit {

// The crop frame (an outline, light with dark edges, transparent inside),
// its handle (a filled square), or the larger invisible grip around the
// handle. Passes its mouse events on, with the place on the canvas it lies on.
class FrameShape : public QWidget {
 public:
  enum class Look { Outline, Filled, Invisible };
  FrameShape(Look look, QWidget* parent);
  // The arrow is what a shape shows before its cursor is ever set.
  void showCursor(CursorKind kind);

  using Handler = std::function<void(const QMouseEvent&, QPoint atCanvas)>;
  Handler onPress;
  Handler onMove;
  Handler onRelease;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPoint atCanvas(const QMouseEvent& event) const;

  Look look_;
};

// The pixel a pointer position lies in.
QPoint floored(QPointF p);

}  // namespace batchfit
