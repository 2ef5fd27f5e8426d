// The crop editor's picture on screen, at the editor's zoom, shaded outside
// the frame.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "editor/Zoom.h"
#include "image/PixelSurface.h"

class QKeyEvent;

namespace batchfit {

// The editor picture on screen at the editor's zoom, shaded outside the
// frame. The surface is converted for display once per show, when first
// needed (and reduced once per zoom below 100 %), never once per paint; a
// photo that comes up reduced ahead needs no conversion until it is zoomed.
// Takes the keys for the frame.
class PictureView : public QWidget {
 public:
  explicit PictureView(QWidget* parent);
  // Shows surface from now on at 100 % (reusing the display memory when the
  // size is the same). shown, where given, is the surface reduced ahead for
  // the zoom it comes up at.
  void setPicture(const PixelSurface& surface, const PixelSurface* shown = nullptr);
  // Takes the pixels of area from surface again, after surface changed there.
  void refresh(const PixelSurface& surface, const QRect& area);
  // Below 100 % the nearest pixels show until the zoom has stayed a moment;
  // then the picture is reduced with its pixels averaged.
  void setZoom(const Zoom& zoom);
  // Reduces the picture for the zoom now, if it waits for that.
  void reduceNow();
  // The frame on screen: everything outside it is shaded.
  void setFrameRect(const QRect& frame);
  // The picture at its natural size.
  const QImage& image() {
    convertNow();
    return image_;
  }

  // A key pressed while the view has the focus; true when it was used.
  std::function<bool(const QKeyEvent&)> onKey;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void paintSampled(QPainter& painter, const QRect& area) const;
  void reduce();
  // Converts the surface for display, if that waits.
  void convertNow();

  QImage image_;
  QImage reduced_;       // the picture at a zoom below 100 %
  QImage readyReduced_;  // reduced ahead, for the zoom the picture comes up at
  PixelSurface surface_;
  bool converted_ = false;
  QTimer reduceTimer_;
  Zoom zoom_;
  QRect frame_;
};

}  // namespace batchfit
