#include "image/PictureRole.h"

namespace batchfit {

void PictureRole::setPicture(const Picture& picture) {
  width_ = picture.width;
  height_ = picture.height;
  picture_ = picture;
  surface_.reset();
}

void PictureRole::setSurface(const PixelSurface& surface) {
  width_ = surface.width();
  height_ = surface.height();
  picture_.reset();
  surface_ = surface;
}

void PictureRole::prepare(std::int32_t width, std::int32_t height) {
  width_ = width;
  height_ = height;
  picture_.reset();
  surface_.reset();
}

PixelSurface& PictureRole::surface() {
  if (!surface_) surface_ = PixelSurface::create(width_, height_);
  return *surface_;
}

}  // namespace batchfit
