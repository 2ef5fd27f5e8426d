// Runs over photos that carry an EXIF Orientation tag: with "Camera
// Orientation" on, every step sees the photo upright; off, the tag changes
// not a byte.
#include <gtest/gtest.h>

#include "image/ExifOrientation.h"
#include "tests/support/Batch.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/ReferenceDecode.h"

using batchfit::PixelSurface;
using enginetest::Batch;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The positions at which two surfaces differ, or their sizes when those do.
std::string differences(const PixelSurface& got, const PixelSurface& want) {
  if (got.width() != want.width() || got.height() != want.height()) {
    return std::to_string(got.width()) + "x" + std::to_string(got.height()) + " for " +
           std::to_string(want.width()) + "x" + std::to_string(want.height());
  }
  std::string found;
  for (int y = 0; y < got.height(); ++y) {
    for (int x = 0; x < got.width(); ++x) {
      if (got.getPixel(x, y) != want.getPixel(x, y)) {
        found += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
      }
    }
  }
  return found;
}

}  // namespace

// Each photo fills a target of its upright size: the output is the upright
// photo, pixel for pixel, whether it was decoded ahead or not.
TEST(Orientation, EveryTagTurnsThePhotoUprightBeforeTheSizeTestAndTheSampling) {
  const Bytes stored = testpics::makeJpeg(24, 16);
  const PixelSurface decoded = testpics::referenceDecode(stored);
  for (const int jobs : {1, 3}) {
    for (const bool sidesSwapped : {false, true}) {
      Batch batch;
      batch.settings.exifOrientation = true;
      batch.settings.mode = batchfit::Mode::ResizeAll;
      batch.settings.autoRotate = false;
      batch.settings.saveFormat = batchfit::SaveFormat::Bmp;
      batch.settings.jobs = jobs;
      batch.settings.targetWidth = sidesSwapped ? 16 : 24;
      batch.settings.targetHeight = sidesSwapped ? 24 : 16;
      const int first = sidesSwapped ? 5 : 1;
      for (int tag = first; tag < first + 4; ++tag) {
        batch.addFile("tag" + std::to_string(tag) + ".jpg",
                      crafted::withExifOrientation(stored, std::uint16_t(tag), tag % 2 == 0));
      }
      batch.run();
      EXPECT_TRUE(batch.frontEnd.messages.empty()) << "jobs " << jobs;
      for (int tag = first; tag < first + 4; ++tag) {
        const PixelSurface output =
            enginetest::readBmp(batch.output("tag" + std::to_string(tag) + ".bmp"));
        EXPECT_EQ(differences(output, batchfit::uprightSurface(decoded, tag)), "")
            << "tag " << tag << ", jobs " << jobs;
      }
    }
  }
}

// A phone's portrait stored as a 300 x 200 landscape: too small for a 176 x
// 220 portrait without turning, until it stands upright.
TEST(Orientation, TheSizeTestReadsTheUprightSize) {
  for (const bool upright : {false, true}) {
    Batch batch;
    batch.settings.exifOrientation = upright;
    batch.settings.autoRotate = false;
    batch.settings.mode = batchfit::Mode::ResizeAll;
    const std::string path =
        batch.addFile("phone.jpg", crafted::withExifOrientation(testpics::makeJpeg(300, 200), 6));
    batch.run();
    if (upright) {
      EXPECT_EQ(batch.outputs(), std::vector<std::string>{"phone.jpg"});
    } else {
      EXPECT_EQ(batch.frontEnd.messages, std::vector<std::string>{enginetest::tooSmallLine(path)});
    }
  }
}

// Off, a tagged photo gives exactly the output of the same photo untagged,
// in every mode that writes without the crop editor.
TEST(Orientation, OffTheTagChangesNoByte) {
  const Bytes plain = testpics::makeJpeg(800, 600, testpics::JpegKind::Progressive);
  for (const auto mode : {batchfit::Mode::Keen, batchfit::Mode::ResizeAll}) {
    for (const int jobs : {1, 2}) {
      Batch batch;
      batch.settings.mode = mode;
      batch.settings.jobs = jobs;
      batch.addFile("plain.jpg", plain);
      batch.addFile("tagged.jpg", crafted::withExifOrientation(plain, 8));
      batch.run();
      ASSERT_EQ(batch.outputs(), (std::vector<std::string>{"plain.jpg", "tagged.jpg"}));
      EXPECT_EQ(testpics::readFile(batch.output("tagged.jpg")),
                testpics::readFile(batch.output("plain.jpg")))
          << "jobs " << jobs;
    }
  }
}
