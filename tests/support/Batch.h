// A batch made in a temp folder: input files, settings writing into an
// output folder of its own, the scripted front end and the work pictures.
#pragma once

#include <string>
#include <vector>

#include "engine/JobSettings.h"
#include "engine/Run.h"
#include "image/PixelSurface.h"
#include "tests/support/FakeFrontEnd.h"
#include "tests/support/TestPictures.h"

namespace enginetest {

class Batch {
 public:
  Batch();

  // Writes a file into the input folder and appends it to the file list.
  std::string addJpeg(const std::string& name, int width, int height,
                      testpics::JpegKind kind = testpics::JpegKind::Baseline);
  std::string addFile(const std::string& name, const std::vector<std::uint8_t>& bytes);

  void run() { batchfit::runBatch(settings, frontEnd, pictures, record); }
  // The run, and the message of the error that ended it, or "(no error)".
  std::string runMessage();

  std::string outputFolder() const { return dir.file("out"); }
  std::string output(const std::string& name) const { return outputFolder() + "/" + name; }
  // The names of the files in the output folder, sorted.
  std::vector<std::string> outputs() const;

  testpics::TempDir dir;
  batchfit::JobSettings settings;
  FakeFrontEnd frontEnd;
  batchfit::WorkPictures pictures;
  batchfit::RunRecord record;
};

// The default settings with another target size, aspect tolerance, turn.
batchfit::JobSettings target(int width, int height, int tolerance = 10, bool autoRotate = true);

// The report line for a picture too small for the target.
std::string tooSmallLine(const std::string& path);

// The pixels of a 32-bit BMP file as written by the run (bottom row first,
// blue, green, red, 0), as colours of a surface; fails the test on any other
// layout.
batchfit::PixelSurface readBmp(const std::string& path);

}  // namespace enginetest
