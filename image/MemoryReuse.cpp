#include "image/MemoryReuse.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <system_error>

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

PagesFaultedAhead::PagesFaultedAhead([[maybe_unused]] void* memory,
                                     [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  constexpr std::size_t Worthwhile = 16 << 20;
  if (bytes < Worthwhile) return;
  const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
  const auto start = (std::uintptr_t(memory) + page - 1) / page * page;
  const auto end = (std::uintptr_t(memory) + bytes) / page * page;
  try {
    thread_ = std::jthread([start, end] {
      madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
    });
  } catch (const std::system_error&) {
    // No thread to spare: the decoder faults the pages in itself.
  }
#endif
}

}  // namespace batchfit
