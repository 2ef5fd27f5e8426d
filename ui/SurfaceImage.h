// A pixel surface on screen: its pixels put into a QImage of the format the
// windows draw fastest, converted once per show, never once per paint.
#pragma once

#include <QImage>

#include "image/PixelSurface.h"

namespace batchfit {

// Makes image a Format_RGB32 image of size, unless it is one already; the
// old pixels' memory goes first. Throws the shortage of memory when the
// memory for a size with pixels is not there.
void sizeImage(QImage& image, const QSize& size);

// Area of image (a Format_RGB32 image of the surface's size) takes the surface's pixels.
void showPixels(const PixelSurface& surface, const QRect& area, QImage& image);

}  // namespace batchfit
