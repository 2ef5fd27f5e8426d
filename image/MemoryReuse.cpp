#include "MemoryReuse.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace batchfit {

void keepFreedBuffersForReuse() {
#ifdef __GLIBC__
  // 32 MiB is the most glibc takes as the threshold for blocks of their own.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

}  // namespace batchfit
