// Loading a file into a picture role by its extension, for the size test:
// JPEG (header through libjpeg), BMP, icon, WMF and EMF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/PictureRole.h"

namespace batchfit {

// Reads the file as the kind its extension names and replaces the role's
// content with the declared size. On any failure the role keeps what it held.
// Messages: "Unknown picture file extension (.%s)", "Cannot open file "%s". %s",
// "Stream read error", "Bitmap image is not valid", "Icon image is not valid",
// "Metafile is not valid", "JPEG error #%d".
void loadPicture(PictureRole& role, const std::string& path);

// The same for a file whose bytes were read already: path gives the kind.
void loadPicture(PictureRole& role, const std::string& path,
                 const std::vector<std::uint8_t>& bytes);

// The declared size of file contents of the given kind (the same checks and
// messages as loadPicture, minus opening the file).
Picture readPicture(PictureKind kind, const std::vector<std::uint8_t>& bytes);

}  // namespace batchfit
