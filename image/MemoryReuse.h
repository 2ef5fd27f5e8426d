// Process-wide allocator settings for a program that decodes photo after
// photo, and the memory kept for the next photo given back after a run.
#pragma once

#include <cstddef>
#include <thread>

namespace batchfit {

// Lets the C allocator keep freed blocks of up to 32 MiB for the next photo
// instead of handing them back to the system: libjpeg takes a progressive
// photo's coefficients (24 MiB and more for 12 megapixels) afresh for every
// photo, and memory handed back is faulted in afresh each time, most of all
// with several threads decoding. Call once at start-up, before any thread.
void keepFreedBuffersForReuse();

// Gives what was kept for the next photo back to the system: the freed
// photo buffers and the allocator's freed blocks. For when a run is over and
// the program may sit idle; the next run takes its memory afresh.
void giveBackKeptMemory();

// Faults a photo's pages in on a thread of its own, without changing what
// they hold, while the caller writes them: memory taken afresh then costs
// the decoder no page faults, which on a 24-megapixel photo are a third of
// its decode. Smaller memory, and a system without the means, are left
// alone. Waits for the thread when it goes.
class PagesFaultedAhead {
 public:
  PagesFaultedAhead(void* memory, std::size_t bytes);

 private:
  std::jthread thread_;
};

}  // namespace batchfit
