#include "ui/PictureView.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "ui/SurfaceImage.h"

namespace batchfit {

namespace {

// How long a zoom below 100 % stays before the picture is reduced for it.
constexpr int ReduceDelay = 150;  // milliseconds
const QColor Shade(0, 0, 0, 110);

}  // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  reduceTimer_.setSingleShot(true);
  reduceTimer_.setInterval(ReduceDelay);
  QObject::connect(&reduceTimer_, &QTimer::timeout, [this] { reduceNow(); });
  // A click on the picture, the frame or the handle gives the view the keys.
  setFocusPolicy(Qt::StrongFocus);
}

void PictureView::setPicture(const PixelSurface& surface, const PixelSurface* shown) {
  const QSize size(std::max(surface.width(), 0), std::max(surface.height(), 0));
  reduced_ = QImage();
  readyReduced_ = QImage();
  reduceTimer_.stop();
  zoom_ = Zoom();
  surface_ = surface;
  converted_ = false;
  if (shown) {
    sizeImage(readyReduced_, QSize(shown->width(), shown->height()));
    showPixels(*shown, readyReduced_.rect(), readyReduced_);
  }
  resize(size);
  update();
}

void PictureView::convertNow() {
  if (converted_) return;
  converted_ = true;
  sizeImage(image_, QSize(std::max(surface_.width(), 0), std::max(surface_.height(), 0)));
  showPixels(surface_, image_.rect(), image_);
}

void PictureView::refresh(const PixelSurface& surface, const QRect& area) {
  surface_ = surface;
  if (converted_) showPixels(surface, area, image_);
  readyReduced_ = QImage();
  if (!reduced_.isNull()) reduce();
  update();
}

void PictureView::setZoom(const Zoom& zoom) {
  zoom_ = zoom;
  reduced_ = QImage();
  resize(int(zoom.toScreen(surface_.width())), int(zoom.toScreen(surface_.height())));
  // The zoom it comes up at, reduced ahead: nothing more to make.
  if (readyReduced_.size() == size() && !zoom.isNatural()) {
    reduced_ = readyReduced_;
    update();
    return;
  }
  // Zooming on, the user sees the nearest pixels; once the zoom stays, the
  // averaged ones.
  if (zoom.toScreen(1) == 1 && !zoom.isNatural()) reduceTimer_.start();
  update();
}

void PictureView::reduceNow() {
  if (!reduceTimer_.isActive()) return;
  reduceTimer_.stop();
  reduce();
}

void PictureView::reduce() {
  convertNow();
  // Without the memory for it, the nearest pixels stay.
  reduced_ = image_.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  update();
}

void PictureView::setFrameRect(const QRect& frame) {
  if (frame == frame_) return;
  // Only where the shade changes.
  update(QRegion(frame_).xored(QRegion(frame)));
  frame_ = frame;
}

void PictureView::paintEvent(QPaintEvent* event) {
  // The view is exactly the shown picture's size: the picture covers all of it.
  QPainter painter(this);
  const QRect area = event->rect();
  if (reduced_.isNull()) convertNow();
  if (zoom_.isNatural()) {
    painter.drawImage(area.topLeft(), image_, area);
  } else if (!reduced_.isNull()) {
    painter.drawImage(area.topLeft(), reduced_, area);
  } else {
    paintSampled(painter, area);
  }
  for (const QRect& outside : QRegion(area).subtracted(frame_)) painter.fillRect(outside, Shade);
}

// Each screen pixel shows the picture pixel it converts to: above 100 % (whole
// numbers) every picture pixel is a square of screen pixels.
void PictureView::paintSampled(QPainter& painter, const QRect& area) const {
  const double scale = zoom_.scale();
  // Below 100 % the last screen pixels of a row or column may show less than a pixel.
  if (scale < 1) painter.fillRect(area, palette().window());
  painter.drawImage(
      QRectF(area), image_,
      QRectF(area.x() / scale, area.y() / scale, area.width() / scale, area.height() / scale));
}

void PictureView::keyPressEvent(QKeyEvent* event) {
  if (onKey && onKey(*event)) return;
  QWidget::keyPressEvent(event);
}

}  // namespace batchfit
