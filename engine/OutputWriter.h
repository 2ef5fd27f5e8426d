// Naming and writing the output file of one input: JPEG through the run's
// JPEG object, or BMP, into the folder of the output path.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/JobSettings.h"
#include "image/FileIo.h"
#include "image/JpegObject.h"
#include "image/PathRules.h"
#include "image/PictureRole.h"

namespace batchfit {

// The listed files as the run finds them when it starts, taken once per run:
// the plain file that each listed name reaches, whatever the name.
struct ListedPhotos {
  explicit ListedPhotos(const std::vector<std::string>& files);
  // One per listed name; none where it reached no plain file.
  std::vector<std::optional<FileIdentity>> identities;
  std::set<FileIdentity> photos;
};

// The folder part of outputPath followed by the input's own file name; for a
// BMP output with ".bmp" in place of the name's extension.
std::string outputFilePath(const JobSettings& settings, const std::string& name,
                           std::string_view folderDelimiters = PlatformFolderDelimiters);

// The file an output was written to, and whether a listed photo there went
// to the trash first.
struct WrittenOutput {
  std::string path;
  bool photoTrashed = false;
};

// Writes TI as the output of the input file name, replacing any file there;
// a listed photo there is never written over: it goes to the desktop's trash
// first, or is replaced only whole (writeWholeFile says how).
WrittenOutput writeOutput(const JobSettings& settings, const std::string& name, PictureRole& TI,
                          JpegObject& runJpeg, const ListedPhotos& listed);

}  // namespace batchfit
