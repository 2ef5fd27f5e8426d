// HEIC, HEIF and AVIF photos through libheif (HEVC and AV1 decoders built
// in), loaded when a first such photo is read: the primary image of a file
// or collection, in 8-bit RGBA, with its own turn and mirroring (irot,
// imir) applied only for a photo wanted upright, and its ICC profile (colr).
#include <libheif/heif.h>

#include <memory>

#include "image/Error.h"
#include "image/OnDemand.h"
#include "image/PhotoReader.h"

namespace batchfit {

namespace {

// The libheif functions the reader needs. Linked in, libheif and its
// codecs (x265, aom, dav1d, libde265) would cost every run some 15 to 30 ms
// of start-up; loaded on demand, only a run that reads such a photo pays.
#define BATCHFIT_HEIF_FUNCTIONS(X)                \
  X(heif_context_alloc)                           \
  X(heif_context_free)                            \
  X(heif_context_get_primary_image_handle)        \
  X(heif_context_read_from_memory_without_copy)   \
  X(heif_context_set_maximum_image_size_limit)    \
  X(heif_decode_image)                            \
  X(heif_decoding_options_alloc)                  \
  X(heif_decoding_options_free)                   \
  X(heif_image_get_height)                        \
  X(heif_image_get_plane_readonly)                \
  X(heif_image_get_width)                         \
  X(heif_image_handle_get_color_profile_type)     \
  X(heif_image_handle_get_height)                 \
  X(heif_image_handle_get_ispe_height)            \
  X(heif_image_handle_get_ispe_width)             \
  X(heif_image_handle_get_raw_color_profile)      \
  X(heif_image_handle_get_raw_color_profile_size) \
  X(heif_image_handle_get_width)                  \
  X(heif_image_handle_is_premultiplied_alpha)     \
  X(heif_image_handle_release)                    \
  X(heif_image_release)                           \
  X(heif_init)

struct Heif {
#define BATCHFIT_DECLARE(name) decltype(&::name) name = nullptr;
  BATCHFIT_HEIF_FUNCTIONS(BATCHFIT_DECLARE)
#undef BATCHFIT_DECLARE
  std::string missing;  // why libheif could not be loaded, if it could not
};

Heif load() {
  Heif h;
  // Never unloaded: its codecs register themselves once.
  void* library = openOnDemand("libheif.so.1", h.missing);
  if (!library) return h;
  bool complete = true;
#define BATCHFIT_TAKE(name) complete = take(library, #name, h.name) && complete;
  BATCHFIT_HEIF_FUNCTIONS(BATCHFIT_TAKE)
#undef BATCHFIT_TAKE
  if (!complete) h.missing = "libheif.so.1 lacks a function the reader needs";
  return h;
}

const Heif& api() {
  static const Heif loaded = load();
  if (!loaded.missing.empty()) invalidPhoto("HEIF", loaded.missing);
  return loaded;
}

void check(const heif_error& error) {
  if (error.code == heif_error_Ok) return;
  if (error.subcode == heif_suberror_End_of_data) throw Error("Stream read error");
  if (error.code == heif_error_Memory_allocation_error) throw outOfResources();
  invalidPhoto("HEIF", error.message ? error.message : "unknown error");
}

// The file's primary image; libheif's objects released however the reading ends.
class HeifFile {
 public:
  explicit HeifFile(const PhotoBytes& bytes) {
    static const heif_error initialised = api().heif_init(nullptr);
    check(initialised);
    context_.reset(api().heif_context_alloc());
    if (!context_) throw outOfResources();
    api().heif_context_set_maximum_image_size_limit(context_.get(), int(MaxPhotoSide));
    check(api().heif_context_read_from_memory_without_copy(context_.get(), bytes.data(),
                                                           bytes.size(), nullptr));
    heif_image_handle* handle = nullptr;
    check(api().heif_context_get_primary_image_handle(context_.get(), &handle));
    handle_.reset(handle);
  }

  // Upright, the size after the file's own turn; otherwise the coded one.
  PhotoHeader header(bool upright) const {
    const heif_image_handle* h = handle_.get();
    if (upright)
      return {api().heif_image_handle_get_width(h), api().heif_image_handle_get_height(h), 1};
    return {api().heif_image_handle_get_ispe_width(h), api().heif_image_handle_get_ispe_height(h),
            1};
  }

  PhotoBytes iccProfile() const {
    const heif_image_handle* h = handle_.get();
    const heif_color_profile_type type = api().heif_image_handle_get_color_profile_type(h);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
    PhotoBytes profile(api().heif_image_handle_get_raw_color_profile_size(h));
    if (!profile.empty()) check(api().heif_image_handle_get_raw_color_profile(h, profile.data()));
    return profile;
  }

  PixelSurface pixels(bool upright) {
    const PhotoHeader size = header(upright);
    const auto width = std::uint64_t(std::max(size.width, 0));
    const auto height = std::uint64_t(std::max(size.height, 0));
    // The decoder's planes and its RGBA image beside our surface.
    checkPhotoSize(width, height, width * height * 12);
    heif_decoding_options* options = api().heif_decoding_options_alloc();
    options->ignore_transformations = upright ? 0 : 1;
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error error = api().heif_decode_image(handle_.get(), &decoded, heif_colorspace_RGB,
                                                     heif_chroma_interleaved_RGBA, options);
    api().heif_decoding_options_free(options);
    image_.reset(decoded);
    check(error);
    int stride = 0;
    const std::uint8_t* rgba =
        api().heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int w = api().heif_image_get_width(decoded, heif_channel_interleaved);
    const int h = api().heif_image_get_height(decoded, heif_channel_interleaved);
    // A turn swaps the sides, a crop makes them smaller: never more pixels
    // than the memory limit was asked for.
    if (!rgba || w <= 0 || h <= 0 || std::uint64_t(w) * std::uint64_t(h) > width * height) {
      invalidPhoto("HEIF", "unexpected image size");
    }
    const bool premultiplied = api().heif_image_handle_is_premultiplied_alpha(handle_.get()) != 0;
    return surfaceFromRgba(rgba, w, h, std::size_t(stride),
                           premultiplied ? Alpha::Premultiplied : Alpha::Straight);
  }

 private:
  struct FreeContext {
    void operator()(heif_context* c) const { api().heif_context_free(c); }
  };
  struct ReleaseHandle {
    void operator()(heif_image_handle* h) const { api().heif_image_handle_release(h); }
  };
  struct ReleaseImage {
    void operator()(heif_image* i) const { api().heif_image_release(i); }
  };
  // Released in the reverse order: the image, the handle, the context.
  std::unique_ptr<heif_context, FreeContext> context_;
  std::unique_ptr<heif_image_handle, ReleaseHandle> handle_;
  std::unique_ptr<heif_image, ReleaseImage> image_;
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
