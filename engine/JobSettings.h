// The settings of one run, read from the main window (or the command line)
// when the run starts; nothing changes them while it goes on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace batchfit {

inline constexpr const char* DefaultOutputFolder = "/tmp";
inline constexpr const char* DefaultOutputPath = "/tmp/Save Your Resized Files Here";

enum class SaveFormat { Jpeg, Bmp };
// None is no mode at all: the run starts and ends without touching a file.
enum class Mode { Keen, EditAll, ResizeAll, None };
// What Keen resizing does with a picture whose aspect ratio does not fit.
enum class MismatchAction { Edit, Skip };
// A quarter turn: Left is counter-clockwise, Right clockwise.
enum class Turn { None, Left, Right };

// The choices as the main window gives them: a radio group's item index, the
// direction box's text.
// Deliberate: an index the group does not have still means something: any
// format but the first is BMP, any action but the first skips, and any other
// mode runs none. Only the exact text "Right" turns clockwise; "right",
// "Right " or an empty text turn left.
constexpr SaveFormat saveFormatAt(int index) {
  return index == 0 ? SaveFormat::Jpeg : SaveFormat::Bmp;
}
constexpr Mode modeAt(int index) {
  constexpr Mode items[] = {Mode::Keen, Mode::EditAll, Mode::ResizeAll};
  return index >= 0 && index < 3 ? items[index] : Mode::None;
}
constexpr MismatchAction mismatchActionAt(int index) {
  return index == 0 ? MismatchAction::Edit : MismatchAction::Skip;
}
constexpr Turn directionNamed(std::string_view text) {
  return text == "Right" ? Turn::Right : Turn::Left;
}

struct JobSettings {
  std::int32_t targetWidth = 176;
  std::int32_t targetHeight = 220;
  SaveFormat saveFormat = SaveFormat::Jpeg;
  int jpegQuality = 100;
  Mode mode = Mode::Keen;
  std::int32_t aspectTolerance = 10;  // percent of the target's ratio
  MismatchAction mismatchAction = MismatchAction::Edit;
  // Turn a picture of the other orientation than the target's while scaling it.
  bool autoRotate = true;
  // Left or Right: the way such a picture turns, and the way a turned crop
  // frame turns its part, whether autoRotate is on or not.
  Turn rotateDirection = Turn::Left;
  bool antiAlias = false;
  // Turn each photo upright as its EXIF Orientation tag says, right after
  // decoding: the size test, the aspect test, the crop editor and the
  // sampling all see the upright photo. Off, the tag is not looked at.
  bool exifOrientation = false;
  // Reduce each picture onto the target with a Lanczos-3 filter, a JPEG
  // decoded at the libjpeg scale the target needs, in place of the
  // nearest-neighbour sampling.
  bool smoothScaling = false;
  // Read PNG, BMP, TIFF, WebP, HEIF and AVIF photos by their own libraries
  // (chosen by extension) and process them as JPEG photos; off, every file
  // that passes the size test is read as a JPEG stream.
  bool otherFormats = false;
  // Turn a photo that embeds an ICC profile into sRGB right after decoding,
  // before anything looks at its pixels; off, pixels stay as stored.
  bool toSrgb = false;
  std::string outputPath = DefaultOutputPath;  // only its folder part counts
  std::vector<std::string> files;
  // Pictures decoded ahead on worker threads; 1 decodes one at a time.
  int jobs = 1;
};

}  // namespace batchfit
