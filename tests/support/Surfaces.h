// Surfaces made in the tests, and the sampling arithmetic their scaled
// pixels are checked against.
#pragma once

#include <cmath>
#include <cstdint>

#include "image/PictureRole.h"
#include "image/PixelSurface.h"

namespace testpics {

// A colour that differs at every position up to 2047 x 2047 (red and green
// are x and y below 256) and is never black, which a sample outside gives.
inline batchfit::ColorRef colourAt(int x, int y) {
  return batchfit::makeColor(x & 0xFF, y & 0xFF, 0x80 | ((x >> 8) & 7) | ((y >> 8) & 7) << 3);
}

// A surface whose pixel (x, y) is colourAt(x, y).
inline batchfit::PixelSurface patterned(int width, int height) {
  auto surface = batchfit::PixelSurface::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) surface.setPixel(x, y, colourAt(x, y));
  }
  return surface;
}

// A surface all of one colour.
inline batchfit::PixelSurface filled(int width, int height, batchfit::ColorRef colour) {
  auto surface = batchfit::PixelSurface::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) surface.setPixel(x, y, colour);
  }
  return surface;
}

// A picture role holding such a surface, as TI after a fill.
inline batchfit::PictureRole filledRole(int width, int height, batchfit::ColorRef colour) {
  batchfit::PictureRole role;
  role.setSurface(filled(width, height, colour));
  return role;
}

// N(i x factor) for the factor num / den as a scale factor is held: the
// quotient in extended precision stored as a double, the product in extended
// precision rounded to nearest, an exact half to the even neighbour.
inline std::int64_t sampleOf(std::int64_t i, std::int64_t num, std::int64_t den) {
  const double factor = double(static_cast<long double>(num) / den);
  return std::int64_t(std::nearbyintl(static_cast<long double>(i) * factor));
}

}  // namespace testpics
