#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
// jpeglib.h needs FILE and size_t first.
#include <jpeglib.h>

#include "image/BmpFile.h"
#include "image/JpegObject.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/Errors.h"
#include "tests/support/ReferenceDecode.h"
#include "tests/support/Surfaces.h"
#include "tests/support/TestPictures.h"

using namespace batchfit;
using crafted::field;
using testpics::filled;
using testpics::JpegKind;
using testpics::messageOf;
using testpics::patterned;
using testpics::TempDir;

namespace {

using Bytes = std::vector<std::uint8_t>;

// What libjpeg reads from the header of an output file.
struct Written {
  bool jfif = false;
  int major = 0, minor = 0, densityUnit = -1, xDensity = 0, yDensity = 0;
  int components = 0;
  J_COLOR_SPACE space = JCS_UNKNOWN;
  std::vector<std::pair<int, int>> sampling;
  bool progressive = false;
  std::vector<int> lumaTable, chromaTable;
};

Written inspect(const Bytes& bytes) {
  Written w;
  testpics::decompressJpeg(bytes, [&](jpeg_decompress_struct& cinfo) {
    w.jfif = cinfo.saw_JFIF_marker;
    w.major = cinfo.JFIF_major_version;
    w.minor = cinfo.JFIF_minor_version;
    w.densityUnit = cinfo.density_unit;
    w.xDensity = cinfo.X_density;
    w.yDensity = cinfo.Y_density;
    w.components = cinfo.num_components;
    w.space = cinfo.jpeg_color_space;
    for (int c = 0; c < cinfo.num_components; ++c) {
      w.sampling.emplace_back(cinfo.comp_info[c].h_samp_factor, cinfo.comp_info[c].v_samp_factor);
    }
    w.progressive = jpeg_has_multiple_scans(&cinfo);
    for (int i = 0; i < DCTSIZE2; ++i) {
      w.lumaTable.push_back(cinfo.quant_tbl_ptrs[0]->quantval[i]);
      w.chromaTable.push_back(cinfo.quant_tbl_ptrs[1]->quantval[i]);
    }
  });
  return w;
}

Bytes encoded(const PixelSurface& s, std::uint8_t quality, bool progressiveInput = false) {
  JpegObject jpeg;
  if (progressiveInput) jpeg.loadBytes(testpics::makeJpeg(8, 8, JpegKind::Progressive));
  jpeg.assignSurface(s);
  jpeg.setQualityValue(quality);
  jpeg.compress();
  return jpeg.bytes();
}

}  // namespace

TEST(BmpWriting, LayoutToTheByte) {
  const PixelSurface s = patterned(176, 220);
  const Bytes b = encodeBmp(s);
  ASSERT_EQ(b.size(), 154934u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  const std::vector<std::tuple<std::size_t, int, std::uint32_t>> header{
      {2, 4, 154934}, {6, 4, 0},  {10, 4, 54}, {14, 4, 40}, {18, 4, 176},
      {22, 4, 220},   {26, 2, 1}, {28, 2, 32}, {30, 4, 0},  {34, 4, 154880},
      {38, 4, 0},     {42, 4, 0}, {46, 4, 0},  {50, 4, 0}};
  for (auto [at, size, value] : header) EXPECT_EQ(field(b, at, size), value) << "offset " << at;
  // Bottom row first; each pixel blue, green, red, 0.
  for (int y = 0; y < 220; ++y) {
    for (int x = 0; x < 176; ++x) {
      const std::size_t at = 54 + (std::size_t(219 - y) * 176 + x) * 4;
      const ColorRef c = s.getPixel(x, y);
      ASSERT_EQ(b[at], blueOf(c));
      ASSERT_EQ(b[at + 1], greenOf(c));
      ASSERT_EQ(b[at + 2], redOf(c));
      ASSERT_EQ(b[at + 3], 0);
    }
  }
  TempDir dir;
  saveBmp(s, dir.file("out.bmp"));
  EXPECT_EQ(testpics::readFile(dir.file("out.bmp")), b);
}

TEST(Writing, SurfacesWithoutPixelsGiveEmptyFiles) {
  TempDir dir;
  for (const PixelSurface& s : {PixelSurface(), PixelSurface::create(0, 5)}) {
    testpics::writeFile(dir.file("old.bmp"), Bytes(10, 1));  // replaced, not kept
    saveBmp(s, dir.file("old.bmp"));
    EXPECT_EQ(std::filesystem::file_size(dir.file("old.bmp")), 0u);
    JpegObject jpeg;
    jpeg.assignSurface(s);
    jpeg.saveFile(dir.file("out.jpg"));
    EXPECT_EQ(std::filesystem::file_size(dir.file("out.jpg")), 0u);
  }
}

TEST(JpegWriting, WhatTheDefaultsFix) {
  const Written w = inspect(encoded(patterned(176, 220), 90));
  EXPECT_TRUE(w.jfif);
  EXPECT_EQ(w.major, 1);
  EXPECT_EQ(w.minor, 1);
  EXPECT_EQ(w.densityUnit, 0);
  EXPECT_EQ(w.xDensity, 1);
  EXPECT_EQ(w.yDensity, 1);
  EXPECT_EQ(w.components, 3);
  EXPECT_EQ(w.space, JCS_YCbCr);
  EXPECT_EQ(w.sampling, (std::vector<std::pair<int, int>>{{2, 2}, {1, 1}, {1, 1}}));
  EXPECT_FALSE(w.progressive);
}

TEST(JpegWriting, Quality) {
  const PixelSurface s = patterned(40, 24);
  const Written best = inspect(encoded(s, 100));
  EXPECT_EQ(best.lumaTable, std::vector<int>(64, 1));
  EXPECT_EQ(best.chromaTable, std::vector<int>(64, 1));
  EXPECT_EQ(encoded(s, 0), encoded(s, 1));
  EXPECT_NE(encoded(s, 1), encoded(s, 2));
  EXPECT_EQ(encoded(s, 200), encoded(s, 100));  // above 100 is treated as 100
  JpegObject fresh;                             // never given a quality: 90
  fresh.assignSurface(s);
  fresh.compress();
  EXPECT_EQ(fresh.bytes(), encoded(s, 90));
}

TEST(JpegWriting, ColoursKeepTheirMeaning) {
  const Bytes bytes = encoded(filled(32, 32, makeColor(255, 0, 0)), 95);
  const ColorRef c = testpics::referenceDecode(bytes).getPixel(10, 10);
  EXPECT_GT(redOf(c), 245);
  EXPECT_LT(greenOf(c), 10);
  EXPECT_LT(blueOf(c), 10);
  const PixelSurface picture = patterned(64, 48);
  const PixelSurface back = testpics::referenceDecode(encoded(picture, 100));
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      ASSERT_NEAR(redOf(back.getPixel(x, y)), redOf(picture.getPixel(x, y)), 8);
      ASSERT_NEAR(blueOf(back.getPixel(x, y)), blueOf(picture.getPixel(x, y)), 8);
    }
  }
}

TEST(JpegWriting, ProgressiveExactlyWhenTheLastLoadedInputWas) {
  TempDir dir;
  testpics::writeFile(dir.file("p.jpg"), testpics::makeJpeg(200, 100, JpegKind::Progressive));
  testpics::writeFile(dir.file("b.jpg"), testpics::makeJpeg(200, 100));
  testpics::writeFile(dir.file("g.jpg"), testpics::makeJpeg(200, 100, JpegKind::Gray));
  PictureRole pi;
  PictureRole ti;
  ti.prepare(20, 10);
  JpegObject run;
  const auto outputFor = [&](const std::string& input) {
    run.loadFile(dir.file(input));
    run.decodeTo(pi);
    run.assignSurface(ti.surface());
    run.setQualityValue(75);
    run.compress();
    run.saveFile(dir.file("out-" + input));
    return inspect(testpics::readFile(dir.file("out-" + input)));
  };
  EXPECT_TRUE(outputFor("p.jpg").progressive);
  EXPECT_FALSE(outputFor("b.jpg").progressive);
  EXPECT_TRUE(outputFor("p.jpg").progressive);
  const Written fromGray = outputFor("g.jpg");
  EXPECT_FALSE(fromGray.progressive);
  EXPECT_EQ(fromGray.components, 3);
  EXPECT_TRUE(inspect(encoded(patterned(9, 9), 50, true)).progressive);
}

TEST(JpegWriting, SaveCompressesOnlyWhenThereAreNoBytes) {
  TempDir dir;
  JpegObject jpeg;
  jpeg.assignSurface(patterned(30, 20));
  jpeg.saveFile(dir.file("a.jpg"));
  EXPECT_EQ(inspect(testpics::readFile(dir.file("a.jpg"))).components, 3);
  EXPECT_EQ(jpeg.headerWidth(), 30u);
  const Bytes input = testpics::makeJpeg(12, 12);
  jpeg.loadBytes(input);
  jpeg.saveFile(dir.file("b.jpg"));  // the loaded bytes, unchanged
  EXPECT_EQ(testpics::readFile(dir.file("b.jpg")), input);
}

TEST(Writing, CreationFailures) {
  TempDir dir;
  const std::string missingFolder = dir.file("none/out.bmp");
  EXPECT_EQ(messageOf([&] { saveBmp(patterned(4, 4), missingFolder); }),
            "Cannot create file \"" + missingFolder + "\". No such file or directory");
  JpegObject jpeg;
  jpeg.assignSurface(patterned(4, 4));
  EXPECT_EQ(messageOf([&] { jpeg.saveFile(dir.path().string()); }),
            "Cannot create file \"" + dir.path().string() + "\". Is a directory");
}

TEST(Writing, FullDeviceIsAWriteError) {
  EXPECT_EQ(messageOf([] { saveBmp(patterned(4, 4), "/dev/full"); }), "Stream write error");
  JpegObject jpeg;
  jpeg.assignSurface(patterned(4, 4));
  EXPECT_EQ(messageOf([&] { jpeg.saveFile("/dev/full"); }), "Stream write error");
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST(Writing, FileCutShortIsRemoved) {
  TempDir dir;
  const std::string bmp = dir.file("out.bmp");
  const std::string jpg = dir.file("out.jpg");
  JpegObject jpeg;
  jpeg.assignSurface(patterned(64, 64));
  {
    testpics::FileSizeCap cap(100);
    EXPECT_EQ(messageOf([&] { saveBmp(patterned(64, 64), bmp); }), "Stream write error");
    EXPECT_EQ(messageOf([&] { jpeg.saveFile(jpg); }), "Stream write error");
  }
  EXPECT_FALSE(std::filesystem::exists(bmp));
  EXPECT_FALSE(std::filesystem::exists(jpg));
}
