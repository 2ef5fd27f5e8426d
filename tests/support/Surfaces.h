// Pictures, exact sampling arithmetic and error capture shared by the crop
// editor's tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "image/Error.h"
#include "image/PixelSurface.h"

namespace editortest {

// A colour that differs at every position up to 4095 x 4095.
inline batchfit::ColorRef colourAt(int x, int y) {
  return batchfit::makeColor(x & 0xFF, y & 0xFF, ((x >> 8) & 0xF) | (((y >> 8) & 0xF) << 4));
}

inline batchfit::PixelSurface patterned(int width, int height) {
  auto surface = batchfit::PixelSurface::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) surface.setPixel(x, y, colourAt(x, y));
  }
  return surface;
}

// N(i x factor) for the factor num / den as a scale factor is held: the
// quotient in extended precision stored as a double, the product in extended
// precision rounded to nearest, an exact half to the even neighbour.
inline std::int64_t sampleOf(std::int64_t i, std::int64_t num, std::int64_t den) {
  const double factor = double(static_cast<long double>(num) / den);
  return std::int64_t(std::nearbyintl(static_cast<long double>(i) * factor));
}

// The message of the error a command raises, or "no error".
template <typename Command>
std::string errorOf(Command command) {
  try {
    command();
  } catch (const batchfit::Error& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace editortest
