#include "ui/SurfaceImage.h"

#include "image/Error.h"

namespace batchfit {

void sizeImage(QImage& image, const QSize& size) {
  if (image.size() == size) return;
  image = QImage();  // let go of the old picture's memory first
  image = QImage(size, QImage::Format_RGB32);
  if (!size.isEmpty() && image.isNull()) throw outOfResources();
}

void showPixels(const PixelSurface& surface, const QRect& area, QImage& image) {
  const QRect part = area & image.rect();
  for (int y = part.top(); y <= part.bottom(); ++y) {
    const ColorRef* source = surface.row(y);
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = part.left(); x <= part.right(); ++x) {
      line[x] = qRgb(redOf(source[x]), greenOf(source[x]), blueOf(source[x]));
    }
  }
}

}  // namespace batchfit
