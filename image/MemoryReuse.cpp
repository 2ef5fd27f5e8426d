#include "image/MemoryReuse.h"

#include "image/PixelSurface.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace batchfit {

void keepFreedBuffersForReuse() {
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
  // 32 MiB is the most glibc takes as the threshold for blocks of their own.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

void giveBackKeptMemory() {
  freeKeptPixelMemory();
#if defined(M_TRIM_THRESHOLD)
  // Every arena, the workers' too; keepFreedBuffersForReuse keeps them otherwise.
  malloc_trim(0);
#endif
}

}  // namespace batchfit
