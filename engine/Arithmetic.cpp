#include "engine/Arithmetic.h"

#include "image/Error.h"

namespace batchfit {

long double exactRatio(std::int64_t a, std::int64_t b) {
  // Detected before dividing: floating-point traps are never relied on.
  if (b == 0) {
    throw Error(a == 0 ? "Invalid floating point operation" : "Floating point division by zero");
  }
  return static_cast<long double>(a) / static_cast<long double>(b);
}

}  // namespace batchfit
