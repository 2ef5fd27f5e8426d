// The in-memory raster all picture work is done on: 8 bits per channel,
// one 0x00BBGGRR word per pixel, reads outside yielding InvalidColor.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "image/MemoryLimit.h"

namespace batchfit {

using ColorRef = std::uint32_t;

// What a read outside a surface yields; never the colour of a pixel.
inline constexpr ColorRef InvalidColor = 0xFFFFFFFFu;
inline constexpr ColorRef White = 0x00FFFFFFu;

constexpr std::uint8_t redOf(ColorRef c) {
  return c & 0xFF;
}
constexpr std::uint8_t greenOf(ColorRef c) {
  return (c >> 8) & 0xFF;
}
constexpr std::uint8_t blueOf(ColorRef c) {
  return (c >> 16) & 0xFF;
}
constexpr ColorRef makeColor(unsigned r, unsigned g, unsigned b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// Right and bottom are exclusive.
struct SurfaceRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t width() const { return right - left; }
  std::int32_t height() const { return bottom - top; }
};

// Throws outOfResources() where a width x height surface
// could not be made: a negative size, or one that with workingBytes more
// (what decoding it takes besides) would exceed the memory limit.
void checkSurfaceSize(std::int32_t width, std::int32_t height, std::uint64_t workingBytes = 0);

// Memory for pixels. A few freed photo-sized buffers are kept for the next
// photo of the same size: a picture's memory then costs no page faults.
void* allocatePixelMemory(std::size_t bytes);
void releasePixelMemory(void* memory, std::size_t bytes) noexcept;

template <typename T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() = default;
  template <typename U>
  PixelAllocator(const PixelAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(allocatePixelMemory(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { releasePixelMemory(p, n * sizeof(T)); }
  // Pixels that are about to be overwritten are not set first (a sized
  // buffer is left as it comes); every other construction is the usual one.
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <typename U>
  bool operator==(const PixelAllocator<U>&) const {
    return true;
  }
};

using PixelBuffer = std::vector<ColorRef, PixelAllocator<ColorRef>>;

// Copies share their pixel buffer until one of them writes (copy on write),
// so copying is constant time yet fully independent. Pixel
// access is constant time; only the first write to a surface that still
// shares its pixels with a copy allocates (once, for its own buffer).
class PixelSurface {
 public:
  PixelSurface() = default;  // 0 x 0, no pixels

  // A new all-white surface. Throws outOfResources() for a
  // negative size or one over the memory limit, before allocating anything.
  static PixelSurface create(std::int32_t width, std::int32_t height);
  // A surface whose pixels are undefined until written, for a decoder that writes
  // every pixel. Reuses recycled's buffer when no copy shares it and it is large
  // enough; otherwise recycled is emptied first. Same limit and error as create.
  static PixelSurface createForOverwrite(std::int32_t width, std::int32_t height,
                                         PixelSurface&& recycled);

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  bool empty() const { return width_ <= 0 || height_ <= 0; }

  ColorRef getPixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return InvalidColor;
    return pixels_->data()[std::size_t(y) * width_ + x];
  }
  // Writing InvalidColor stores black; writes outside the surface do nothing.
  void setPixel(std::int32_t x, std::int32_t y, ColorRef c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    detach();
    pixels_->data()[std::size_t(y) * width_ + x] = (c == InvalidColor) ? 0 : c;
  }

  // Copies src onto dest (same size) as if every source pixel were read
  // first; source pixels outside the surface arrive as InvalidColor, so black.
  void copyRect(const SurfaceRect& dest, const SurfaceRect& src);

  // Direct row access for the tight loops. The mutable form detaches first.
  const ColorRef* row(std::int32_t y) const { return pixels_->data() + std::size_t(y) * width_; }
  ColorRef* mutableRow(std::int32_t y) {
    detach();
    return pixels_->data() + std::size_t(y) * width_;
  }

 private:
  // getPixel for coordinates that may lie beyond the 32-bit range.
  ColorRef pixelAt(std::int64_t x, std::int64_t y) const;
  void detach() {
    if (pixels_ && pixels_.use_count() > 1) {
      pixels_ = std::make_shared<PixelBuffer>(*pixels_);
    }
  }

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::shared_ptr<PixelBuffer> pixels_;  // null while there are no pixels
};

}  // namespace batchfit
