// Photos of the other formats in whole runs: the output of a lossless file
// holding a JPEG's decoded pixels is that JPEG's, byte for byte, however
// many pictures are decoded ahead.
#include <gtest/gtest.h>

#include "image/BmpFile.h"
#include "image/JpegObject.h"
#include "tests/support/Batch.h"
#include "tests/support/PhotoFiles.h"

using enginetest::Batch;

namespace {

using Bytes = std::vector<std::uint8_t>;

// The pixels the run decodes from the JPEG bytes.
batchfit::PixelSurface decoded(const Bytes& jpeg) {
  batchfit::JpegObject object;
  object.loadBytes(jpeg);
  batchfit::PictureRole role;
  object.decodeTo(role);
  return role.surface();
}

struct Written {
  std::vector<std::string> names;
  std::vector<Bytes> files;
};

// Runs the files in list order; what the output folder then holds.
Written runOf(const std::vector<std::pair<std::string, Bytes>>& files, batchfit::SaveFormat format,
              int jobs) {
  Batch batch;
  batch.settings.otherFormats = true;
  batch.settings.saveFormat = format;
  batch.settings.jobs = jobs;
  for (const auto& [name, bytes] : files) batch.addFile(name, bytes);
  EXPECT_EQ(batch.runMessage(), "(no error)");
  Written written{batch.outputs(), {}};
  for (const std::string& name : written.names) {
    written.files.push_back(testpics::readFile(batch.output(name)));
  }
  return written;
}

TEST(OtherFormatRun, ALosslessCopyOfAJpegsPixelsGivesItsOutput) {
  // Straight, turned and for the editor (reported: the command line's way).
  const Bytes straight = testpics::makeJpeg(300, 400), turned = testpics::makeJpeg(420, 330);
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"a.jpg", straight},
      {"b.png", photofiles::writePng(decoded(straight))},
      {"c.jpg", turned},
      {"d.PNG", photofiles::writePng(decoded(turned))},
      {"e.bmp", batchfit::encodeBmp(decoded(straight))},
      {"f.tif", photofiles::writeTiff(decoded(turned))},
      {"g.webp", photofiles::writeWebp(decoded(straight))},
  };
  for (const auto format : {batchfit::SaveFormat::Jpeg, batchfit::SaveFormat::Bmp}) {
    const Written one = runOf(files, format, 1);
    ASSERT_EQ(one.files.size(), 7u);
    EXPECT_EQ(one.files[0], one.files[1]);
    EXPECT_EQ(one.files[0], one.files[4]);
    EXPECT_EQ(one.files[0], one.files[6]);
    EXPECT_EQ(one.files[2], one.files[3]);
    EXPECT_EQ(one.files[2], one.files[5]);
    const Written ahead = runOf(files, format, 3);
    EXPECT_EQ(ahead.names, one.names);
    EXPECT_EQ(ahead.files, one.files);
  }
}

TEST(OtherFormatRun, ABombEndsTheRunAsTheSystemsShortage) {
  Batch batch;
  batch.settings.otherFormats = true;
  batch.addJpeg("first.jpg", 300, 400);
  batch.addFile("bomb.png", photofiles::pngBomb(100000, 100000));
  EXPECT_EQ(batch.runMessage(), "Out of system resources");
  EXPECT_EQ(batch.outputs(), std::vector<std::string>{"first.jpg"});
}

}  // namespace
