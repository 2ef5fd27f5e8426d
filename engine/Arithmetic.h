// The exact arithmetic of scaling: quotients of sizes in extended precision
// and N(v), the rounding of a source coordinate.
#pragma once

#include <cmath>
#include <cstdint>

namespace batchfit {

// a / b in extended precision (64-bit significand). Throws
// "Floating point division by zero" for a nonzero a and b = 0, and
// "Invalid floating point operation" for 0 / 0, before dividing.
long double exactRatio(std::int64_t a, std::int64_t b);

// The same quotient stored as a double (a scale factor or a ratio).
inline double storedRatio(std::int64_t a, std::int64_t b) {
  return static_cast<double>(exactRatio(a, b));
}

// N(i * factor): the product in extended precision, rounded to the nearest
// integer with an exact half going to the even neighbour.
inline std::int64_t roundSample(std::int64_t i, double factor) {
  return static_cast<std::int64_t>(
      std::nearbyintl(static_cast<long double>(i) * static_cast<long double>(factor)));
}

}  // namespace batchfit
