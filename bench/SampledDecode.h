// Decodes only the pixels that a nearest-neighbour sampling reads: libjpeg
// reads the photo's DCT coefficients, and this module computes the inverse
// DCT, chroma upsampling and colour conversion of just those pixels, to the
// bit as a whole decode with the run's settings gives them. Photos it does
// not cover are left to the whole decode. A prototype the bench measures: on
// camera-like photos it saves too little for the run to use it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "image/PixelSurface.h"

namespace batchfit {

// The picture rows and columns a sampling reads: each list ascending, without
// repeats, and inside the picture.
struct SamplePoints {
  std::vector<std::int32_t> rows;
  std::vector<std::int32_t> columns;
};

// Row y of the picture, its width in pixels; only the sampled columns are set.
using SampledRowSink = std::function<void(std::int32_t y, const ColorRef* row)>;

// Whether to decode sampled only where that is faster than a whole decode
// (sparse samplings of large photos), or wherever it can.
enum class SampledDecodeUse { WhenFaster, Always };

// Decodes the JPEG bytes at every (row, column) of points and hands take
// each of points.rows, in order, with its listed columns exactly as a whole
// decode gives them; returns true. Returns false without calling take when
// this process's libjpeg failed the start-up check, when the points are not
// as described, when a whole decode would be faster (unless use says
// Always), or when the bytes are not a photo covered here (only 3-component
// YCbCr, Huffman-coded, 4:2:0, 4:2:2, 4:4:0 or 4:4:4, read without any libjpeg
// warning or error, and progressive ones only when every scan is complete):
// the caller then decodes whole, which also raises the photo's error if it
// has one. A true result means a whole decode succeeds as well, except for
// the picture's size test, which stays the caller's, before either decode.
bool decodeSampled(std::span<const std::uint8_t> bytes, const SamplePoints& points,
                   const SampledRowSink& take, SampledDecodeUse use = SampledDecodeUse::WhenFaster);

// Whether decodeSampled may be used here: checked once per process by
// sampledDecodeMatchesLibjpeg.
bool sampledDecodeAvailable();

// Decodes a small photo made on the spot both ways, every pixel sampled, and
// tells whether the two agree; made afresh on each call.
bool sampledDecodeMatchesLibjpeg();

}  // namespace batchfit
