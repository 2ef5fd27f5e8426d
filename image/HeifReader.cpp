// HEIC, HEIF and AVIF photos through libheif (HEVC and AV1 decoders built
// in): the primary image of a file or collection, in 8-bit RGBA, with its
// own turn and mirroring (irot, imir) applied only for a photo wanted
// upright, and its ICC profile (colr).
#include <libheif/heif.h>

#include "image/Error.h"
#include "image/PhotoReader.h"

namespace batchfit {

namespace {

void check(const heif_error& error) {
  if (error.code == heif_error_Ok) return;
  if (error.subcode == heif_suberror_End_of_data) throw Error("Stream read error");
  if (error.code == heif_error_Memory_allocation_error) throw Error("Out of system resources");
  invalidPhoto("HEIF", error.message ? error.message : "unknown error");
}

// The file's primary image; libheif's objects released however the reading ends.
class HeifFile {
 public:
  explicit HeifFile(const PhotoBytes& bytes) {
    static const heif_error initialised = heif_init(nullptr);
    check(initialised);
    context_ = heif_context_alloc();
    if (!context_) throw Error("Out of system resources");
    heif_context_set_maximum_image_size_limit(context_, int(MaxPhotoSide));
    check(
        heif_context_read_from_memory_without_copy(context_, bytes.data(), bytes.size(), nullptr));
    check(heif_context_get_primary_image_handle(context_, &handle_));
  }
  ~HeifFile() {
    heif_image_release(image_);
    heif_image_handle_release(handle_);
    heif_context_free(context_);
  }
  HeifFile(const HeifFile&) = delete;
  HeifFile& operator=(const HeifFile&) = delete;

  // Upright, the size after the file's own turn; otherwise the coded one.
  PhotoHeader header(bool upright) const {
    if (upright) {
      return {heif_image_handle_get_width(handle_), heif_image_handle_get_height(handle_), 1};
    }
    return {heif_image_handle_get_ispe_width(handle_), heif_image_handle_get_ispe_height(handle_),
            1};
  }

  PhotoBytes iccProfile() const {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle_);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
    PhotoBytes profile(heif_image_handle_get_raw_color_profile_size(handle_));
    if (profile.empty()) return {};
    check(heif_image_handle_get_raw_color_profile(handle_, profile.data()));
    return profile;
  }

  PixelSurface pixels(bool upright) {
    const PhotoHeader size = header(upright);
    const auto width = std::uint64_t(std::max(size.width, 0));
    const auto height = std::uint64_t(std::max(size.height, 0));
    // The decoder's planes and its RGBA image beside our surface.
    checkPhotoSize(width, height, width * height * 12);
    heif_decoding_options* options = heif_decoding_options_alloc();
    options->ignore_transformations = upright ? 0 : 1;
    options->convert_hdr_to_8bit = 1;
    const heif_error decoded = heif_decode_image(handle_, &image_, heif_colorspace_RGB,
                                                 heif_chroma_interleaved_RGBA, options);
    heif_decoding_options_free(options);
    check(decoded);
    int stride = 0;
    const std::uint8_t* rgba =
        heif_image_get_plane_readonly(image_, heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(image_, heif_channel_interleaved);
    const int h = heif_image_get_height(image_, heif_channel_interleaved);
    // A turn swaps the sides, a crop makes them smaller: never more pixels
    // than the memory limit was asked for.
    if (!rgba || w < 0 || h < 0 || std::uint64_t(w) * std::uint64_t(h) > width * height) {
      invalidPhoto("HEIF", "unexpected image size");
    }
    const bool premultiplied = heif_image_handle_is_premultiplied_alpha(handle_) != 0;
    return surfaceFromRgba(rgba, w, h, std::size_t(stride),
                           premultiplied ? Alpha::Premultiplied : Alpha::Straight);
  }

 private:
  heif_context* context_ = nullptr;
  heif_image_handle* handle_ = nullptr;
  heif_image* image_ = nullptr;
};

class HeifReader : public PhotoReader {
 public:
  PhotoHeader readHeader(const PhotoBytes& bytes, bool upright) const override {
    return HeifFile(bytes).header(upright);
  }
  DecodedPhoto decode(const PhotoBytes& bytes, bool upright) const override {
    HeifFile file(bytes);
    DecodedPhoto photo;
    photo.iccProfile = file.iccProfile();
    photo.surface = file.pixels(upright);
    return photo;
  }
};

}  // namespace

const PhotoReader& heifReader() {
  static const HeifReader reader;
  return reader;
}

}  // namespace batchfit
