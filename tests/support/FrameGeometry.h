// The crop frame's place and size as one value, for the frame's tests to
// compare in one check.
#pragma once

#include <cstdint>
#include <ostream>

#include "editor/CropFrame.h"

namespace edittest {

struct Geometry {
  std::int32_t left, top, width, height;
  bool operator==(const Geometry&) const = default;
};

inline Geometry geometryOf(const batchfit::CropFrame& f) {
  return {f.left(), f.top(), f.width(), f.height()};
}

// Test failures show a geometry as it reads.
inline void PrintTo(const Geometry& g, std::ostream* out) {
  *out << g.width << " x " << g.height << " at (" << g.left << ", " << g.top << ")";
}

}  // namespace edittest
