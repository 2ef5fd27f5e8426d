// The output names with both delimiter sets, and the writer.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/OutputWriter.h"
#include "image/PathRules.h"
#include "tests/support/Surfaces.h"
#include "tests/support/TestPictures.h"

using namespace batchfit;

namespace {

constexpr std::string_view Win = WindowsFolderDelimiters;
constexpr std::string_view Posix = PosixFolderDelimiters;

// The format as the main window's item index gives it: 0 JPEG, 1 BMP.
JobSettings output(int formatIndex, const std::string& outputPath) {
  JobSettings settings;
  settings.saveFormat = saveFormatAt(formatIndex);
  settings.outputPath = outputPath;
  return settings;
}

TEST(OutputNames, JpegKeepsTheInputNameAndBmpReplacesItsExtension) {
  const JobSettings jpeg = output(0, "C:\\Temp\\Save Your Resized Files Here");
  const JobSettings bmp = output(1, "C:\\Temp\\Save Your Resized Files Here");
  EXPECT_EQ(outputFilePath(jpeg, "D:\\Pics\\a.jpg", Win), "C:\\Temp\\a.jpg");
  EXPECT_EQ(outputFilePath(jpeg, "D:\\Photos\\Beach.JPEG", Win), "C:\\Temp\\Beach.JPEG");
  EXPECT_EQ(outputFilePath(jpeg, "D:\\Pics\\noext", Win), "C:\\Temp\\noext");
  EXPECT_EQ(outputFilePath(bmp, "D:\\Photos\\Beach.JPEG", Win), "C:\\Temp\\Beach.bmp");
  EXPECT_EQ(outputFilePath(bmp, "D:\\Pics\\a.b.jpg", Win), "C:\\Temp\\a.b.bmp");
  EXPECT_EQ(outputFilePath(bmp, "D:\\Pics\\noext", Win), "C:\\Temp\\noext.bmp");
  EXPECT_EQ(outputFilePath(bmp, "D:\\Pics\\trail.", Win), "C:\\Temp\\trail.bmp");
  EXPECT_EQ(outputFilePath(bmp, "D:\\Pics.old\\photo", Win), "C:\\Temp\\photo.bmp");
}

TEST(OutputNames, OnlyTheFolderOfTheOutputPathCounts) {
  EXPECT_EQ(outputFilePath(output(0, "E:\\Out\\x.txt"), "D:\\Pics\\a.jpg", Win), "E:\\Out\\a.jpg");
  EXPECT_EQ(outputFilePath(output(1, "nofolder"), "D:\\Pics\\a.jpg", Win), "a.bmp");
  EXPECT_EQ(outputFilePath(output(0, "/srv/out/x.jpg"), "/home/u/p.jpeg", Posix),
            "/srv/out/p.jpeg");
  EXPECT_EQ(outputFilePath(output(1, "/srv/out/"), "/home/u.v/photo", Posix), "/srv/out/photo.bmp");
  EXPECT_EQ(outputFilePath(output(1, "/srv/out/x"), "/home/p.jpg"), "/srv/out/p.bmp");
}

// Outputs written outside a run, where no photo is listed.
const ListedPhotos noneListed({});

TEST(WriteOutput, WritesIntoTheFolderReplacingAnyFileThere) {
  testpics::TempDir dir;
  PictureRole TI = testpics::filledRole(4, 3, makeColor(255, 0, 0));
  JpegObject jpeg;
  const std::string existing = dir.file("photo.bmp");
  testpics::writeFile(existing, std::vector<std::uint8_t>(1000, 1));

  writeOutput(output(1, dir.file("x.txt")), "/elsewhere/photo.jpg", TI, jpeg, noneListed);
  const auto bmp = testpics::readFile(existing);
  ASSERT_EQ(bmp.size(), 54u + 4 * 4 * 3);
  EXPECT_EQ(bmp[54], 0);  // blue, green, red, 0
  EXPECT_EQ(bmp[56], 255);
  EXPECT_TRUE(jpeg.bytes().empty()) << "a BMP output must not touch the JPEG object";

  JobSettings settings = output(0, dir.file("x.txt"));
  settings.jpegQuality = 0;
  writeOutput(settings, "/elsewhere/photo.jpg", TI, jpeg, noneListed);
  EXPECT_EQ(jpeg.qualityValue(), 0);
  EXPECT_EQ(testpics::readFile(dir.file("photo.jpg")), jpeg.bytes());
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.txt")));
}

}  // namespace
