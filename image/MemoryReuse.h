// Process-wide allocator settings for a program that decodes photo after
// photo, and the memory kept for the next photo given back after a run.
#pragma once

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

}  // namespace batchfit
