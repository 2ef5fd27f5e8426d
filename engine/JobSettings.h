// The settings of one run, read from the main window (or the command line)
// when the run starts; nothing changes them while it goes on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace batchfit {

inline constexpr const char* DefaultOutputFolder = "/tmp";
inline constexpr const char* DefaultOutputPath = "/tmp/Save Your Resized Files Here";

struct JobSettings {
  std::int32_t targetWidth = 176;
  std::int32_t targetHeight = 220;
  int saveFormat = 0;  // 0 JPEG, anything else BMP
  int jpegQuality = 100;
  int mode = 0;                       // 0 keen, 1 edit all, 2 resize all; others run nothing
  std::int32_t aspectTolerance = 10;  // percent of the target's ratio
  int mismatchAction = 0;             // 0 crop editor, anything else skip
  bool autoRotate = true;
  std::string rotateDirection = "Left";  // only exactly "Right" turns clockwise
  bool antiAlias = false;
  std::string outputPath = DefaultOutputPath;  // only its folder part counts
  std::vector<std::string> files;
  // Pictures decoded ahead on worker threads; 1 decodes one at a time.
  int jobs = 1;
};

}  // namespace batchfit
