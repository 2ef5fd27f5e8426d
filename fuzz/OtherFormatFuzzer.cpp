// Fuzz target: a photo of one of the other formats (FUZZ_EXTENSION), read as
// the run reads it with "Other Formats" on: the header for the size test,
// then the decoding as stored and upright, then its colour profile turned
// into sRGB. Every failure must be one of the run's errors.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzCheck.h"
#include "image/ColourProfile.h"
#include "image/Error.h"
#include "image/PictureReaders.h"
#include "image/PixelSurface.h"

namespace {

using namespace batchfit;

void decodeAsTheRunDoes(const PhotoReader& reader, const PhotoBytes& bytes, bool upright) {
  const PhotoHeader header = reader.readHeader(bytes, upright);
  FUZZ_CHECK(header.width >= 0 && header.height >= 0);
  DecodedPhoto photo = reader.decode(bytes, upright);
  // The pixels a decoding gives are never more than the header declared.
  FUZZ_CHECK(std::int64_t(photo.surface.width()) * photo.surface.height() <=
             std::int64_t(header.width) * header.height);
  convertToSrgb(photo.surface, photo.iccProfile);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A claimed size beyond this must fail cleanly as "Out of system resources".
  setSurfaceMemoryLimit(64u << 20);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const PhotoReader* reader = otherFormatReader("photo." FUZZ_EXTENSION);
  FUZZ_CHECK(reader != nullptr);
  const PhotoBytes bytes(data, data + size);
  for (const bool upright : {false, true}) {
    try {
      decodeAsTheRunDoes(*reader, bytes, upright);
    } catch (const Error&) {
      // One of the run's messages: the run would end here with it shown.
    }
  }
  return 0;
}
