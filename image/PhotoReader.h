// The one interface of the readers of photo formats beside JPEG (PNG, BMP,
// TIFF, WebP, HEIF and AVIF), each over its own library, and what they share:
// the size check before anything large is allocated, alpha laid over white.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/PixelSurface.h"

namespace batchfit {

using PhotoBytes = std::vector<std::uint8_t>;

// What a photo's header tells, without decoding: its size as the photo
// decodes, and the EXIF orientation (1 to 8) that is still to be applied.
struct PhotoHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int orientation = 1;
};

// A decoded photo: the pixels (alpha laid over white), its embedded ICC
// profile (empty where it has none) and the orientation still to apply.
struct DecodedPhoto {
  PixelSurface surface;
  PhotoBytes iccProfile;
  int orientation = 1;
};

// upright says whether the run turns photos upright: a format whose
// decoder applies the photo's own turn and mirroring (HEIF) applies them
// then and only then; the others report their EXIF orientation and leave
// it to the run. Errors: "Stream read error" for a file cut short, "Out of
// system resources" for a size the memory limit cannot take (before the
// decoder allocates for it), "<format> image is not valid (<reason>)" else.
class PhotoReader {
 public:
  virtual ~PhotoReader() = default;
  virtual PhotoHeader readHeader(const PhotoBytes& bytes, bool upright) const = 0;
  virtual DecodedPhoto decode(const PhotoBytes& bytes, bool upright) const = 0;
};

// A reader over a decoder that opens the bytes and tells the header, the
// embedded profile and the pixels, where the format's orientation is EXIF's
// (PNG, TIFF).
template <typename File>
class ExifOrientedReader : public PhotoReader {
 public:
  PhotoHeader readHeader(const PhotoBytes& bytes, bool) const override {
    return File(bytes).header();
  }
  DecodedPhoto decode(const PhotoBytes& bytes, bool) const override {
    File file(bytes);
    DecodedPhoto photo;
    photo.orientation = file.header().orientation;
    photo.iccProfile = file.iccProfile();
    photo.surface = file.pixels();
    return photo;
  }
};

const PhotoReader& pngReader();
const PhotoReader& bmpReader();
const PhotoReader& tiffReader();
const PhotoReader& webpReader();
const PhotoReader& heifReader();

// The longest side any decoder is let accept: past the 32-bit sizes the
// surface has, and far past what the memory limit lets through, so that the
// limit, not the decoder, names a bomb.
inline constexpr std::uint32_t MaxPhotoSide = 1u << 20;

// Throws "Out of system resources" unless a width x height surface, with
// workingBytes more for the decoder, fits the memory limit.
void checkPhotoSize(std::uint64_t width, std::uint64_t height, std::uint64_t workingBytes);

// Throws "<format> image is not valid (<reason>)".
[[noreturn]] void invalidPhoto(const std::string& format, const std::string& reason);

// Straight (unassociated) or premultiplied alpha in 8-bit RGBA rows.
enum class Alpha { Straight, Premultiplied };

// A surface from 8-bit RGBA rows (stride bytes apart), each pixel laid over
// white by its alpha.
PixelSurface surfaceFromRgba(const std::uint8_t* rgba, std::int32_t width, std::int32_t height,
                             std::size_t stride, Alpha alpha = Alpha::Straight);

}  // namespace batchfit
