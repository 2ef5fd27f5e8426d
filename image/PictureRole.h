// A picture role (PI, TI, the crop editor's picture): what a file load put
// there (a declared size), or a surface of pixels, or nothing yet.
#pragma once

#include <cstdint>
#include <optional>

#include "image/PixelSurface.h"

namespace batchfit {

// The registered picture kinds, in the order of the extension table.
enum class PictureKind { Metafile, EnhancedMetafile, Icon, Bitmap, Jpeg };

// What loadPicture leaves in a role: the kind and the declared size.
struct Picture {
  PictureKind kind = PictureKind::Jpeg;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

class PictureRole {
 public:
  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

  // Replaces the content with a loaded file's declared size (no pixels).
  void setPicture(const Picture& picture);
  // Replaces the content with (an independent copy of) a surface.
  void setSurface(const PixelSurface& surface);
  // Empties the role and sets the size its surface will have (TI at run start).
  void prepare(std::int32_t width, std::int32_t height);

  // The role's surface; when it holds none yet, an all-white one of the
  // role's size is made now (may throw outOfResources()).
  PixelSurface& surface();
  bool holdsSurface() const { return surface_.has_value(); }
  const std::optional<Picture>& picture() const { return picture_; }

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::optional<Picture> picture_;
  std::optional<PixelSurface> surface_;
};

}  // namespace batchfit
