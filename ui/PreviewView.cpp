#include "ui/PreviewView.h"

#include <QPainter>

#include "ui/SurfaceImage.h"

namespace batchfit {

namespace {

constexpr int PreviewBorder = 2;
constexpr int PreviewCaption = 18;
const QColor CaptionText(255, 255, 255);

}  // namespace

PreviewView::PreviewView(QWidget* parent) : QWidget(parent) {
  // The frame under the box still takes the pointer.
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PreviewView::setOutput(PixelSurface output) {
  const QSize size(output.width(), output.height());
  sizeImage(image_, size);
  showPixels(output, image_.rect(), image_);
  output_ = std::move(output);
  update();
}

void PreviewView::setScale(int scale) {
  scale_ = scale;
  update();
}

void PreviewView::fitInto(const QSize& room) {
  const QSize box(image_.width() * scale_ + 2 * PreviewBorder,
                  image_.height() * scale_ + 2 * PreviewBorder + PreviewCaption);
  resize(box.boundedTo(room));
}

void PreviewView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), QColor(40, 40, 40));
  painter.setPen(CaptionText);
  const QRect caption(PreviewBorder + 2, 0, width() - 2 * PreviewBorder - 4, PreviewCaption);
  painter.drawText(
      caption, Qt::AlignVCenter | Qt::AlignLeft,
      QStringLiteral("Result %1 x %2, %3:1").arg(image_.width()).arg(image_.height()).arg(scale_));
  // Each pixel of the result as a square of scale_ screen pixels, never smoothed.
  painter.setClipRect(rect().adjusted(PreviewBorder, PreviewCaption + PreviewBorder, -PreviewBorder,
                                      -PreviewBorder));
  painter.drawImage(QRect(PreviewBorder, PreviewCaption + PreviewBorder, image_.width() * scale_,
                          image_.height() * scale_),
                    image_);
}

}  // namespace batchfit
