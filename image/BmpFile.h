// Writing a picture as an uncompressed 32-bit BMP file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/PixelSurface.h"

namespace batchfit {

// Writes the surface as an uncompressed 32-bit BMP, bottom row first; a
// surface without pixels gives a 0-byte file.
void saveBmp(const PixelSurface& surface, const std::string& path);
// The same BMP file's bytes, in memory.
std::vector<std::uint8_t> encodeBmp(const PixelSurface& surface);

}  // namespace batchfit
