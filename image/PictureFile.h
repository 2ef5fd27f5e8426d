// Loading a file into a picture role by its extension, for the size test:
// JPEG (header through libjpeg), BMP, icon, WMF and EMF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/JpegObject.h"
#include "image/PictureRole.h"

namespace batchfit {

// Reads the file as the kind its extension names and replaces the role's
// content with the declared size; with upright, a JPEG's is the size of its
// photo turned upright (its EXIF Orientation tag may swap width and height).
// On any failure the role keeps what it held.
// Messages: "Unknown picture file extension (.%s)", "Cannot open file "%s". %s",
// "Stream read error", "Bitmap image is not valid", "Icon image is not valid",
// "Metafile is not valid", "JPEG error #%d".
void loadPicture(PictureRole& role, const std::string& path, bool upright = false);

// The size a JPEG header declares, turned upright or as stored.
Picture jpegPicture(const JpegHeader& header, bool upright);

// The same for a file whose bytes were read already: path gives the kind.
void loadPicture(PictureRole& role, const std::string& path, const std::vector<std::uint8_t>& bytes,
                 bool upright);

// The declared size of file contents of the given kind (the same checks and
// messages as loadPicture, minus opening the file).
Picture readPicture(PictureKind kind, const std::vector<std::uint8_t>& bytes);

}  // namespace batchfit
