// Choosing the reader of a photo in one of the other formats (PNG, BMP,
// TIFF, WebP, HEIF, AVIF) by its file's extension, and reading such a file
// for the size test or decoding it whole.
#pragma once

#include <string>
#include <vector>

#include "image/PhotoReader.h"

namespace batchfit {

// The extensions the other formats' readers take, lower case, without dot.
const std::vector<std::string>& otherFormatExtensions();

// The reader for the file's extension (any case), or null: a JPEG or a file
// no such reader takes.
const PhotoReader* otherFormatReader(const std::string& path);

// The size the photo has as the run holds it: upright, the orientation
// applied (width and height swapped where it turns a quarter).
PhotoHeader readOtherFormatHeader(const PhotoReader& reader, const std::string& path, bool upright);

// The photo decoded whole, as stored, or upright where upright says so.
DecodedPhoto decodeOtherFormat(const PhotoReader& reader, const std::string& path, bool upright);

}  // namespace batchfit
