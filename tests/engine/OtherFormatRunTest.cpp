// Photos of the other formats in whole runs: the output of a lossless file
// holding a JPEG's decoded pixels is that JPEG's, byte for byte, however
// many pictures are decoded ahead.
#include <gtest/gtest.h>

#include "image/BmpFile.h"
#include "image/JpegObject.h"
#include "tests/support/Batch.h"
#include "tests/support/PhotoFiles.h"
#include "tests/support/Surfaces.h"

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

// A photo tagged with a profile that swaps red and green shows them swapped
// only with "Convert to sRGB"; one without a profile stays as it is. Each
// photo is the target's size, so the output holds its pixels unscaled.
TEST(OtherFormatRun, ConvertToSrgbTurnsTheEmbeddedProfilesColours) {
  const batchfit::ColorRef orange = batchfit::makeColor(200, 60, 20);
  const batchfit::PixelSurface photo = testpics::filled(176, 220, orange);
  photofiles::PngOptions tagged;
  tagged.iccProfile = photofiles::swappedRedGreenProfile();
  const Bytes jpeg = testpics::makeJpeg(176, 220, testpics::JpegKind::Baseline, [](int, int) {
    return testpics::Rgb{200, 60, 20};
  });
  const std::vector<std::pair<std::string, Bytes>> files = {
      {"a.png", photofiles::writePng(photo, tagged)},
      {"b.jpg", photofiles::withJpegIccProfile(jpeg, tagged.iccProfile)},
      {"c.png", photofiles::writePng(photo)},
  };
  for (const bool toSrgb : {false, true}) {
    for (const int jobs : {1, 2}) {
      Batch batch;
      batch.settings.otherFormats = true;
      batch.settings.toSrgb = toSrgb;
      batch.settings.saveFormat = batchfit::SaveFormat::Bmp;
      batch.settings.jobs = jobs;
      for (const auto& [name, bytes] : files) batch.addFile(name, bytes);
      ASSERT_EQ(batch.runMessage(), "(no error)");
      for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
        const batchfit::ColorRef c = enginetest::readBmp(batch.output(name)).getPixel(88, 110);
        const bool swapped = toSrgb && name[0] != 'c';
        EXPECT_NEAR(batchfit::redOf(c), swapped ? 60 : 200, 3) << name << " " << toSrgb;
        EXPECT_NEAR(batchfit::greenOf(c), swapped ? 200 : 60, 3) << name << " " << toSrgb;
        EXPECT_NEAR(batchfit::blueOf(c), 20, 3) << name << " " << toSrgb;
      }
    }
  }
}

}  // namespace
