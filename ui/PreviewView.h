// The crop editor's preview: what "OK/NEXT" would write, in a box over the
// picture.
#pragma once

#include <QImage>
#include <QWidget>

#include "image/PixelSurface.h"

namespace batchfit {

// What "OK/NEXT" would write, at 1:1 or 2:1, in a box over the picture.
class PreviewView : public QWidget {
 public:
  explicit PreviewView(QWidget* parent);
  void setOutput(PixelSurface output);
  void setScale(int scale);
  // Sizes the box to the output at the scale, within room.
  void fitInto(const QSize& room);
  const PixelSurface& output() const { return output_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PixelSurface output_;
  QImage image_;
  int scale_ = 1;
};

}  // namespace batchfit
