// Helpers shared by the image tests: error capture, JPEGs in colour spaces the
// shared test pictures do not make, and a plain libjpeg decode to compare with.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/Error.h"
#include "image/PixelSurface.h"
#include "tests/support/ReferenceDecode.h"

namespace imagetest {

// The message of the batchfit::Error that f raises, or "(no error)".
template <class F>
std::string messageOf(F&& f) {
  try {
    f();
  } catch (const batchfit::Error& e) {
    return e.what();
  }
  return "(no error)";
}

// How the samples of makeRawJpeg are stored.
enum class Samples {
  AdobeCmyk,    // inverted CMYK with an Adobe marker, as Photoshop writes it
  PlainCmyk,    // CMYK without an Adobe marker: 255 is full ink
  Ycck,         // inverted CMYK samples, stored as YCCK
  TwoComponent  // two components of no known colour space
};
using SampleFn = std::function<std::array<std::uint8_t, 4>(int x, int y)>;

// A JPEG at quality 100 whose pixel (x, y) has the given samples.
std::vector<std::uint8_t> makeRawJpeg(int width, int height, Samples kind, const SampleFn& samples);

// Decodes with libjpeg directly: colour as JCS_RGB; gray through the 236-level
// Floyd-Steinberg one-pass quantizer and its colour map.
using testpics::referenceDecode;

// The bytes with the frame header's height and width replaced.
std::vector<std::uint8_t> withFrameSize(std::vector<std::uint8_t> jpeg, int width, int height);

}  // namespace imagetest
