#include "image/PixelSurface.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "image/Error.h"

namespace batchfit {

namespace {

// Bytes of a width x height surface; the sizes are checked to be 0 or more.
std::uint64_t surfaceBytes(std::int32_t width, std::int32_t height) {
  return std::uint64_t(width) * std::uint64_t(height) * sizeof(ColorRef);
}

// The part of r that lies on a width x height surface.
SurfaceRect clipped(const SurfaceRect& r, std::int32_t width, std::int32_t height) {
  return SurfaceRect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
                     std::min(r.bottom, height)};
}

}  // namespace

ColorRef PixelSurface::pixelAt(std::int64_t x, std::int64_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return InvalidColor;
  return getPixel(std::int32_t(x), std::int32_t(y));
}

void checkSurfaceSize(std::int32_t width, std::int32_t height, std::uint64_t workingBytes) {
  const std::uint64_t limit = surfaceMemoryLimit();
  if (width < 0 || height < 0 || workingBytes > limit ||
      surfaceBytes(width, height) > limit - workingBytes) {
    throw outOfResources();
  }
}

PixelSurface PixelSurface::create(std::int32_t width, std::int32_t height) {
  checkSurfaceSize(width, height);
  PixelSurface surface;
  surface.width_ = width;
  surface.height_ = height;
  if (!surface.empty()) {
    surface.pixels_ =
        std::make_shared<PixelBuffer>(std::size_t(width) * std::size_t(height), White);
  }
  return surface;
}

PixelSurface PixelSurface::createForOverwrite(std::int32_t width, std::int32_t height,
                                              PixelSurface&& recycled) {
  checkSurfaceSize(width, height);
  PixelSurface surface;
  surface.width_ = width;
  surface.height_ = height;
  std::shared_ptr<PixelBuffer> buffer = std::move(recycled.pixels_);
  recycled = PixelSurface();
  if (surface.empty()) return surface;
  const std::size_t count = std::size_t(width) * std::size_t(height);
  // Only a buffer that no copy still reads may be written over.
  if (buffer && buffer.use_count() == 1 && buffer->capacity() >= count) {
    std::atomic_thread_fence(std::memory_order_acquire);  // the last reader is done with it
    buffer->resize(count);
    surface.pixels_ = std::move(buffer);
  } else {
    buffer.reset();  // let its memory go before taking new memory
    surface.pixels_ = std::make_shared<PixelBuffer>(count);
  }
  return surface;
}

namespace {

// Photo-sized buffers are taken in whole units, so that photos of a batch
// whose sizes differ a little share the buffers kept.
constexpr std::size_t Unit = std::size_t(2) << 20;

std::size_t inUnits(std::size_t bytes) {
  return (bytes + Unit - 1) / Unit * Unit;
}

// Freed photo-sized buffers, kept for the next picture of the same size.
class BufferCache {
 public:
  void* take(std::size_t bytes) {
    std::lock_guard lock(mutex_);
    for (auto at = kept_.begin(); at != kept_.end(); ++at) {
      if (at->bytes == bytes) {
        void* memory = at->memory;
        kept_.erase(at);
        return memory;
      }
    }
    return nullptr;
  }
  bool keep(void* memory, std::size_t bytes) {
    std::lock_guard lock(mutex_);
    if (kept_.size() >= Kept) return false;
    kept_.push_back({memory, bytes});
    return true;
  }

 private:
  // Enough for the picture a run lets go of while the next one is decoded.
  static constexpr std::size_t Kept = 2;
  struct Buffer {
    void* memory;
    std::size_t bytes;
  };
  std::mutex mutex_;
  std::vector<Buffer> kept_;
};

BufferCache& bufferCache() {
  static BufferCache* cache = new BufferCache;  // outlives every surface
  return *cache;
}

}  // namespace

void* allocatePixelMemory(std::size_t bytes) {
  const bool photoSized = bytes >= 2 * Unit;
  const std::size_t size = photoSized ? inUnits(bytes) : std::max<std::size_t>(bytes, 1);
  if (photoSized) {
    if (void* memory = bufferCache().take(size)) return memory;
  }
  if (void* memory = std::malloc(size)) return memory;
  throw std::bad_alloc();
}

void releasePixelMemory(void* memory, std::size_t bytes) noexcept {
  if (bytes >= 2 * Unit && bufferCache().keep(memory, inUnits(bytes))) return;
  std::free(memory);
}

void PixelSurface::copyRect(const SurfaceRect& dest, const SurfaceRect& src) {
  // Only destination pixels on the surface can change; the rest of the copy is void.
  const SurfaceRect target = clipped(dest, width_, height_);
  if (target.width() <= 0 || target.height() <= 0) return;
  const std::int64_t dx = std::int64_t(src.left) - dest.left;
  const std::int64_t dy = std::int64_t(src.top) - dest.top;
  // Read every source pixel first, so an overlapping destination never feeds the copy.
  std::vector<ColorRef> taken;
  taken.reserve(std::size_t(target.width()) * std::size_t(target.height()));
  for (std::int32_t y = target.top; y < target.bottom; ++y) {
    for (std::int32_t x = target.left; x < target.right; ++x) {
      taken.push_back(pixelAt(x + dx, y + dy));
    }
  }
  auto next = taken.begin();
  for (std::int32_t y = target.top; y < target.bottom; ++y) {
    for (std::int32_t x = target.left; x < target.right; ++x) setPixel(x, y, *next++);
  }
}

}  // namespace batchfit
