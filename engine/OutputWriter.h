// Naming and writing the output file of one input: JPEG through the run's
// JPEG object, or BMP, into the folder of the output path.
#pragma once

#include <string>
#include <string_view>

#include "JobSettings.h"
#include "JpegObject.h"
#include "PathRules.h"
#include "PictureRole.h"

namespace batchfit {

// The folder part of outputPath followed by the input's own file name; for a
// BMP output with ".bmp" in place of the name's extension.
std::string outputFilePath(const JobSettings& settings, const std::string& name,
                           std::string_view folderDelimiters = PlatformFolderDelimiters);

// Writes TI as the output of the input file name, replacing any file there.
void writeOutput(const JobSettings& settings, const std::string& name, PictureRole& TI,
                 JpegObject& runJpeg);

}  // namespace batchfit
