// Process-wide allocator settings for a program that decodes photo after photo.
#pragma once

namespace batchfit {

// Lets the C allocator keep freed blocks of up to 32 MiB for the next photo
// instead of handing them back to the system: libjpeg takes a progressive
// photo's coefficients (24 MiB and more for 12 megapixels) afresh for every
// photo, and memory handed back is faulted in afresh each time, most of all
// with several threads decoding. Call once at start-up, before any thread.
void keepFreedBuffersForReuse();

}  // namespace batchfit
