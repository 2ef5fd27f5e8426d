// The run's one JPEG codec object: reads every input as a JPEG stream and
// decodes it, and encodes the output JPEG (libjpeg, release 6b interface).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/PictureRole.h"
#include "image/PixelSurface.h"

namespace batchfit {

// What a JPEG header tells: the size, whether the picture is gray (one
// component), whether it is progressive, and the EXIF Orientation tag (1
// where there is none).
struct JpegHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool oneComponent = false;
  bool progressive = false;
  int orientation = 1;
};

// Reads the header of JPEG bytes with libjpeg. Throws "JPEG error #%d" (42
// for no bytes, 53 for bytes that are no JPEG stream).
JpegHeader readJpegHeader(const std::vector<std::uint8_t>& bytes);
// The same for a file, reading only as much of it as the header needs; an
// empty file gives a header of 0 x 0.
JpegHeader readJpegFileHeader(const std::string& path);
// The header of a file as decoding it finds it: the same, except that an
// empty file fails as its decoding does ("JPEG error #42").
JpegHeader readJpegStreamHeader(const std::string& path);

// A side of a picture decoded at 1 / denominator of its size, as libjpeg
// rounds it: up to the next whole pixel.
constexpr std::int64_t scaledJpegSize(std::int64_t size, int denominator) {
  return (size + denominator - 1) / denominator;
}

class JpegObject {
 public:
  // Reads the whole file as a JPEG stream: replaces the bytes and header
  // facts, drops the held surface, sets progressiveFlag (not for an empty file).
  void loadFile(const std::string& path);
  // Same as loadFile, from bytes already read (path only names them).
  void loadBytes(std::vector<std::uint8_t> bytes);
  // Decodes the bytes once into the held surface and gives the role a copy.
  void decodeTo(PictureRole& role);
  // Decodes the bytes afresh and hands take each row of the picture, top
  // down, exactly as decodeTo would store it, without ever holding the
  // whole picture. Given the rows take needs (ascending, no repeats), the
  // decoder passes over the others where that leaves the rows it hands out
  // exact, and hands those out only; elsewhere it hands out every row. The
  // same errors as decodeTo; the held surface stays.
  using RowSink = std::function<void(std::int32_t y, const ColorRef* row)>;
  void scanRows(const RowSink& take, const std::vector<std::int32_t>* needed = nullptr) const;
  // Decodes the bytes afresh at 1 / denominator (1, 2, 4 or 8) of the
  // picture's size and hands take every row of it, top down, scaledJpegSize
  // pixels wide. The memory limit counts the picture at that size and
  // workingBytes besides; otherwise the same errors as decodeTo.
  void scanScaledRows(const RowSink& take, int denominator, std::uint64_t workingBytes) const;
  // Takes over what another object's loadFile (and decodeTo) made of a file,
  // exactly as if this object had loaded it: bytes, header facts and decoded
  // picture; the quality stays, and so does the progressive flag for an
  // empty file.
  void adoptLoaded(JpegObject&& loaded);

  // Takes a photo decoded from another format as it would a baseline JPEG of
  // its pixels: no bytes, the picture's size, upright, not progressive, and
  // the surface held.
  void loadDecoded(const PixelSurface& surface);

  // Lets go of the held surface and of the buffer kept for the next decode;
  // the bytes and header facts stay. For a run that is done with its picture
  // and whose next one comes decoded from elsewhere.
  void dropPixels();
  // Drops the bytes and header facts and holds a copy of the surface.
  void assignSurface(const PixelSurface& surface);
  void setQualityValue(std::uint8_t quality) { qualityValue_ = quality; }
  // Encodes the held surface into new JPEG bytes (none for an empty surface).
  void compress();
  // Writes the bytes to the file, compressing first if there are none.
  void saveFile(const std::string& path);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  const std::optional<PixelSurface>& heldSurface() const { return held_; }
  std::uint32_t headerWidth() const { return headerWidth_; }
  std::uint32_t headerHeight() const { return headerHeight_; }
  bool oneComponent() const { return oneComponent_; }
  int orientation() const { return orientation_; }
  std::uint8_t qualityValue() const { return qualityValue_; }
  bool progressiveFlag() const { return progressiveFlag_; }

 private:
  // Takes the bytes just read: replaces the header facts from them.
  void takeHeader();
  PixelSurface decode();
  // Lets go of the held surface, keeping its buffer for the next decode.
  void retireHeld();
  // scanRows and scanScaledRows: the rows needed (or every row) at 1 / denominator.
  void scan(const RowSink& take, const std::vector<std::int32_t>* needed, int denominator,
            std::uint64_t workingBytes) const;

  std::vector<std::uint8_t> bytes_;
  bool hasBytes_ = false;  // "none" differs from an empty buffer
  std::uint32_t headerWidth_ = 0;
  std::uint32_t headerHeight_ = 0;
  bool oneComponent_ = false;
  int orientation_ = 1;
  std::optional<PixelSurface> held_;
  std::uint8_t qualityValue_ = 90;
  bool progressiveFlag_ = false;
  // The largest surface let go since the last decode; its buffer is reused
  // once no copy of it is left.
  PixelSurface spare_;
};

}  // namespace batchfit
