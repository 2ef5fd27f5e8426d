#include "image/JpegObject.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "image/Error.h"
#include "image/ExifOrientation.h"
#include "image/FileIo.h"
#include "image/JpegGuard.h"
#include "image/MemoryReuse.h"
// After jpeglib.h, which JpegGuard.h includes.
#include <jerror.h>

namespace batchfit {

namespace {

// Memory that libjpeg could not have is the system's shortage, not the file's fault.
[[noreturn]] void throwJpegError(const bf_jpeg_errors& errors) {
  const int code = errors.pub.msg_code;
  if (code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE) {
    throw outOfResources();
  }
  throw Error(formatMessage("JPEG error #%d", {std::to_string(code)}));
}

// One libjpeg decompressor, destroyed however the decoding ends.
class Decompressor {
 public:
  Decompressor() { check(bf_create_decompress(&errors_, &info_)); }
  ~Decompressor() { jpeg_destroy_decompress(&info_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  void check(int failed) const {
    if (failed) throwJpegError(errors_);
  }
  // Nothing when the bytes are only the file's beginning and the header goes on.
  std::optional<JpegHeader> readHeader(const std::vector<std::uint8_t>& bytes,
                                       bool complete = true) {
    bf_header_result result{};
    if (bf_read_header(&info_, bytes.data(), bytes.size(), complete ? 1 : 0, &result) != 0) {
      if (result.ran_out) return std::nullopt;
      throwJpegError(errors_);
    }
    return JpegHeader{info_.image_width, info_.image_height,
                      info_.jpeg_color_space == JCS_GRAYSCALE, result.multiple_scans != 0,
                      exifOrientation(bytes.data(), bytes.size())};
  }
  jpeg_decompress_struct& info() { return info_; }

 private:
  bf_jpeg_errors errors_{};
  jpeg_decompress_struct info_{};
};

class Compressor {
 public:
  Compressor() { check(bf_create_compress(&errors_, &info_)); }
  ~Compressor() {
    jpeg_destroy_compress(&info_);
    std::free(dest_.data);
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  void check(int failed) const {
    if (failed) throwJpegError(errors_);
  }
  std::vector<std::uint8_t> compress(const PixelSurface& surface, int quality, bool progressive) {
    check(bf_compress_pixels(&info_, &dest_, surface.row(0), surface.width(), surface.height(),
                             quality, progressive ? 1 : 0));
    return std::vector<std::uint8_t>(dest_.data, dest_.data + dest_.size);
  }

 private:
  bf_jpeg_errors errors_{};
  jpeg_compress_struct info_{};
  bf_memory_dest dest_{};
};

// The output colour space and the row reader for the picture's colour space.
using RowReader = int (*)(j_decompress_ptr, std::uint32_t*, std::size_t, JDIMENSION);

RowReader chooseOutput(jpeg_decompress_struct& info) {
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
      // 236 evenly spread gray levels, dithered; the levels come from the colour map.
      info.quantize_colors = TRUE;
      info.desired_number_of_colors = 236;
      info.dither_mode = JDITHER_FS;
      return bf_read_gray_rows;
    case JCS_CMYK:
    case JCS_YCCK:
      info.out_color_space = JCS_CMYK;
      return bf_read_cmyk_rows;
    default:
      // RGB written straight into the pixel words; two-component pictures fail here.
      info.out_color_space = bf_pixel_color_space;
      return bf_read_rgbx_rows;
  }
}

void setDecodingParameters(jpeg_decompress_struct& info, int denominator) {
  info.scale_num = 1;
  info.scale_denom = unsigned(denominator);
  info.do_block_smoothing = TRUE;
  info.dct_method = JDCT_FLOAT;
}

// What libjpeg keeps of a picture with more than one scan (progressive, or
// its components in scans of their own) until the last scan is in: every
// coefficient, 64 to a block, each component's blocks padded to whole
// sampling units, as libjpeg's coefficient buffer asks for them.
std::uint64_t coefficientBytes(const jpeg_decompress_struct& info) {
  const auto padded = [](JDIMENSION blocks, int factor) {
    return (std::uint64_t(blocks) + std::uint64_t(factor) - 1) / std::uint64_t(factor) *
           std::uint64_t(factor);
  };
  std::uint64_t bytes = 0;
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    bytes += padded(component.width_in_blocks, component.h_samp_factor) *
             padded(component.height_in_blocks, component.v_samp_factor) * sizeof(JBLOCK);
  }
  return bytes;
}

// Reads the header of the bytes, checks that the picture fits the memory
// limit with what libjpeg keeps of it, and sets the decoder up: the row
// reader for the picture's colour space. The check comes before libjpeg
// allocates anything for the picture and is the same whether the picture is
// then held whole or only passed on row by row. A scaled decode counts the
// picture at its scaled size, and workingBytes of the caller's besides.
RowReader readyToDecode(Decompressor& decompressor, const std::vector<std::uint8_t>& bytes,
                        int denominator = 1, std::uint64_t workingBytes = 0) {
  const JpegHeader header = *decompressor.readHeader(bytes);
  jpeg_decompress_struct& info = decompressor.info();
  // The header's progressive flag is libjpeg's "more than one scan".
  checkSurfaceSize(std::int32_t(scaledJpegSize(header.width, denominator)),
                   std::int32_t(scaledJpegSize(header.height, denominator)),
                   (header.progressive ? coefficientBytes(info) : 0) + workingBytes);
  setDecodingParameters(info, denominator);
  return chooseOutput(info);
}

}  // namespace

JpegHeader readJpegHeader(const std::vector<std::uint8_t>& bytes) {
  return *Decompressor().readHeader(bytes);
}

JpegHeader readJpegFileHeader(const std::string& path) {
  InputFile file(path);
  std::vector<std::uint8_t> bytes;
  // Most headers, with their metadata, fit the first read; a fresh parse of a
  // longer beginning costs little next to reading a whole photo.
  for (std::size_t want = 64 * 1024;; want *= 2) {
    const bool complete = file.readUpTo(bytes, want);
    if (complete && bytes.empty()) return JpegHeader{};
    if (const auto header = Decompressor().readHeader(bytes, complete)) return *header;
  }
}

JpegHeader readJpegStreamHeader(const std::string& path) {
  const JpegHeader header = readJpegFileHeader(path);
  // libjpeg refuses a size of 0, so only an empty file reads as 0 x 0.
  if (header.width == 0) return readJpegHeader({});
  return header;
}

void JpegObject::loadFile(const std::string& path) {
  InputFile file(path);
  retireHeld();
  hasBytes_ = false;
  file.readAll(bytes_);  // into the previous file's buffer
  takeHeader();
}

void JpegObject::loadBytes(std::vector<std::uint8_t> bytes) {
  retireHeld();
  bytes_ = std::move(bytes);
  takeHeader();
}

void JpegObject::takeHeader() {
  hasBytes_ = true;
  headerWidth_ = headerHeight_ = 0;
  oneComponent_ = false;
  orientation_ = 1;
  if (bytes_.empty()) return;  // an empty file keeps the previous progressive flag
  const JpegHeader header = readJpegHeader(bytes_);
  headerWidth_ = header.width;
  headerHeight_ = header.height;
  oneComponent_ = header.oneComponent;
  orientation_ = header.orientation;
  progressiveFlag_ = header.progressive;
}

void JpegObject::decodeTo(PictureRole& role) {
  if (!held_) held_ = decode();
  role.setSurface(*held_);
}

void JpegObject::adoptLoaded(JpegObject&& loaded) {
  // Pictures decoded ahead bring their own memory: the previous picture's is
  // let go now, for the next one decoded ahead, rather than kept as a spare.
  held_.reset();
  spare_ = PixelSurface();
  bytes_ = std::move(loaded.bytes_);
  hasBytes_ = loaded.hasBytes_;
  headerWidth_ = loaded.headerWidth_;
  headerHeight_ = loaded.headerHeight_;
  oneComponent_ = loaded.oneComponent_;
  orientation_ = loaded.orientation_;
  if (!bytes_.empty()) progressiveFlag_ = loaded.progressiveFlag_;
  held_ = std::move(loaded.held_);
}

void JpegObject::loadDecoded(const PixelSurface& surface) {
  assignSurface(surface);
  headerWidth_ = std::uint32_t(surface.width());
  headerHeight_ = std::uint32_t(surface.height());
  progressiveFlag_ = false;
}

void JpegObject::dropPixels() {
  held_.reset();
  spare_ = PixelSurface();
}

PixelSurface JpegObject::decode() {
  Decompressor decompressor;
  const RowReader readRows = readyToDecode(decompressor, bytes_);
  jpeg_decompress_struct& info = decompressor.info();
  PixelSurface surface = PixelSurface::createForOverwrite(
      std::int32_t(info.image_width), std::int32_t(info.image_height), std::move(spare_));
  const PagesFaultedAhead faulting(
      surface.mutableRow(0),
      std::size_t(surface.width()) * std::size_t(surface.height()) * sizeof(ColorRef));
  decompressor.check(bf_start_decompress(&info));
  decompressor.check(
      readRows(&info, surface.mutableRow(0), std::size_t(surface.width()), info.output_height));
  decompressor.check(bf_finish_decompress(&info));
  return surface;
}

namespace {

// The next row from y on that must be decoded: with needed rows, the first
// of them (advancing next past those above y) or else the last row, which
// is always read so that the decoder reads the file to its end as a whole
// decode does; without, y itself.
JDIMENSION nextRowToRead(JDIMENSION y, JDIMENSION height, const std::vector<std::int32_t>* needed,
                         std::vector<std::int32_t>::const_iterator& next) {
  if (!needed) return y;
  while (next != needed->end() && *next < std::int64_t(y)) ++next;
  if (next == needed->end() || *next >= std::int64_t(height)) return height - 1;
  return JDIMENSION(*next);
}

// Whether libjpeg's passing over rows leaves the rows read after it as a
// full read gives them, by the sampling of every component. It does where no
// component is sampled taller than another, and, where rows come two to a
// group, where a component is smoothed upward 2 down and 1 or 2 across from
// more than 2 samples a row, for which libjpeg keeps the rows around each
// group. For every other sampling the rows after a pass come out wrong, and
// for some with rows four to a group the pass does not end.
bool passesOverExactly(const jpeg_decompress_struct& info) {
  if (info.max_v_samp_factor == 1) return true;
  if (info.max_v_samp_factor > 2) return false;
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    const int across = info.max_h_samp_factor / component.h_samp_factor;
    const int down = info.max_v_samp_factor / component.v_samp_factor;
    if (down == 2 && across <= 2 && component.downsampled_width > 2) return true;
  }
  return false;
}

}  // namespace

void JpegObject::scanRows(const RowSink& take, const std::vector<std::int32_t>* needed) const {
  scan(take, needed, 1, 0);
}

void JpegObject::scanScaledRows(const RowSink& take, int denominator,
                                std::uint64_t workingBytes) const {
  scan(take, nullptr, denominator, workingBytes);
}

void JpegObject::scan(const RowSink& take, const std::vector<std::int32_t>* needed, int denominator,
                      std::uint64_t workingBytes) const {
  Decompressor decompressor;
  const RowReader readRows = readyToDecode(decompressor, bytes_, denominator, workingBytes);
  jpeg_decompress_struct& info = decompressor.info();
  decompressor.check(bf_start_decompress(&info));
  // A gray picture's dithering carries each row's error into the next one,
  // so every row of it is decoded; so is every row of a sampling that
  // libjpeg cannot pass over exactly.
  if (info.quantize_colors || !passesOverExactly(info)) needed = nullptr;
  std::vector<ColorRef> row(
      std::max<std::size_t>(info.output_width, scaledJpegSize(info.image_width, denominator)));
  auto next = needed ? needed->begin() : std::vector<std::int32_t>::const_iterator();
  for (JDIMENSION y = 0; y < info.output_height; ++y) {
    const JDIMENSION wanted = nextRowToRead(y, info.output_height, needed, next);
    if (wanted > y) decompressor.check(bf_skip_rows(&info, wanted - y));
    y = wanted;
    decompressor.check(readRows(&info, row.data(), 0, y + 1));
    take(std::int32_t(y), row.data());
  }
  decompressor.check(bf_finish_decompress(&info));
}

void JpegObject::retireHeld() {
  if (!held_) return;
  const auto area = [](const PixelSurface& s) { return std::int64_t(s.width()) * s.height(); };
  if (area(*held_) >= area(spare_)) spare_ = std::move(*held_);
  held_.reset();
}

void JpegObject::assignSurface(const PixelSurface& surface) {
  retireHeld();
  bytes_.clear();
  hasBytes_ = false;
  headerWidth_ = headerHeight_ = 0;
  oneComponent_ = false;
  orientation_ = 1;
  held_ = surface;
}

void JpegObject::compress() {
  bytes_.clear();
  hasBytes_ = false;
  if (held_ && !held_->empty()) {
    headerWidth_ = std::uint32_t(held_->width());
    headerHeight_ = std::uint32_t(held_->height());
    bytes_ = Compressor().compress(*held_, qualityValue_, progressiveFlag_);
  }
  hasBytes_ = true;  // not after a failure: a later save must not write nothing as done
}

void JpegObject::saveFile(const std::string& path) {
  if (!hasBytes_) compress();
  writeWholeFile(path, bytes_);
}

}  // namespace batchfit
