// WebP photos, lossy and lossless, through libwebp: the still picture of a
// file decoded to RGBA, its EXIF orientation and ICC profile from the
// file's chunks (libwebp's demuxer).
#include <webp/decode.h>
#include <webp/demux.h>

#include "image/Error.h"
#include "image/ExifOrientation.h"
#include "image/PhotoReader.h"

namespace batchfit {

namespace {

[[noreturn]] void raise(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_NOT_ENOUGH_DATA:
      throw Error("Stream read error");
    case VP8_STATUS_OUT_OF_MEMORY:
      throw outOfResources();
    case VP8_STATUS_UNSUPPORTED_FEATURE:
      invalidPhoto("WebP", "unsupported feature");
    case VP8_STATUS_INVALID_PARAM:
      invalidPhoto("WebP", "invalid parameter");
    default:
      invalidPhoto("WebP", "bitstream error");
  }
}

// The file's chunks, for its metadata; released however the reading ends.
class Chunks {
 public:
  explicit Chunks(const PhotoBytes& bytes) {
    const WebPData data{bytes.data(), bytes.size()};
    demux_ = WebPDemux(&data);
  }
  ~Chunks() { WebPDemuxDelete(demux_); }
  Chunks(const Chunks&) = delete;
  Chunks& operator=(const Chunks&) = delete;

  // The first chunk of the four-character kind; empty where there is none.
  PhotoBytes chunk(const char* kind) const {
    WebPChunkIterator it{};
    if (!demux_ || !WebPDemuxGetChunk(demux_, kind, 1, &it)) return {};
    PhotoBytes content(it.chunk.bytes, it.chunk.bytes + it.chunk.size);
    WebPDemuxReleaseChunkIterator(&it);
    return content;
  }

 private:
  WebPDemuxer* demux_ = nullptr;
};

PhotoHeader headerOf(const PhotoBytes& bytes, WebPBitstreamFeatures& features) {
  const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
  if (status != VP8_STATUS_OK) raise(status);
  if (features.has_animation) invalidPhoto("WebP", "animated");
  const PhotoBytes exif = Chunks(bytes).chunk("EXIF");
  return PhotoHeader{features.width, features.height,
                     exif.empty() ? 1 : embeddedExifOrientation(exif.data(), exif.size())};
}

class WebpReader : public PhotoReader {
 public:
  PhotoHeader readHeader(const PhotoBytes& bytes, bool) const override {
    WebPBitstreamFeatures features{};
    return headerOf(bytes, features);
  }
  DecodedPhoto decode(const PhotoBytes& bytes, bool) const override {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) invalidPhoto("WebP", "library version");
    const PhotoHeader header = headerOf(bytes, config.input);
    const auto width = std::uint64_t(header.width), height = std::uint64_t(header.height);
    // Our RGBA rows, and as much again for what a lossless decoder holds.
    checkPhotoSize(width, height, width * height * 8);
    std::vector<std::uint8_t> rgba(width * height * 4);
    config.output.colorspace = MODE_RGBA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = rgba.data();
    config.output.u.RGBA.stride = int(width * 4);
    config.output.u.RGBA.size = rgba.size();
    const VP8StatusCode status = WebPDecode(bytes.data(), bytes.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) raise(status);
    DecodedPhoto photo;
    photo.orientation = header.orientation;
    photo.iccProfile = Chunks(bytes).chunk("ICCP");
    photo.surface = surfaceFromRgba(rgba.data(), header.width, header.height, width * 4);
    return photo;
  }
};

}  // namespace

const PhotoReader& webpReader() {
  static const WebpReader reader;
  return reader;
}

}  // namespace batchfit
