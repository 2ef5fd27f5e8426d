#include "tests/support/Batch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/CraftedFiles.h"
#include "tests/support/Errors.h"

namespace enginetest {

Batch::Batch() {
  std::filesystem::create_directory(dir.path() / "in");
  std::filesystem::create_directory(dir.path() / "out");
  settings.outputPath = dir.file("out") + "/Save Your Resized Files Here";
}

std::string Batch::addJpeg(const std::string& name, int width, int height,
                           testpics::JpegKind kind) {
  return addFile(name, testpics::makeJpeg(width, height, kind));
}

std::string Batch::addFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const std::string path = dir.file("in/" + name);
  testpics::writeFile(path, bytes);
  settings.files.push_back(path);
  return path;
}

std::string Batch::runMessage() {
  return testpics::messageOf([this] { run(); });
}

std::vector<std::string> Batch::outputs() const {
  return testpics::fileNames(outputFolder());
}

batchfit::PixelSurface readBmp(const std::string& path) {
  const std::vector<std::uint8_t> b = testpics::readFile(path);
  EXPECT_GE(b.size(), 54u) << path;
  if (b.size() < 54) return {};
  const int width = int(crafted::field(b, 18, 4));
  const int height = int(crafted::field(b, 22, 4));
  EXPECT_EQ(b.size(), 54u + 4u * width * height) << path;
  if (b.size() != 54u + 4u * width * height) return {};
  batchfit::PixelSurface surface = batchfit::PixelSurface::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t at = 54 + 4 * (std::size_t(height - 1 - y) * width + x);
      surface.setPixel(x, y, batchfit::makeColor(b[at + 2], b[at + 1], b[at]));
    }
  }
  return surface;
}

batchfit::JobSettings target(int width, int height, int tolerance, bool autoRotate) {
  batchfit::JobSettings settings;
  settings.targetWidth = width;
  settings.targetHeight = height;
  settings.aspectTolerance = tolerance;
  settings.autoRotate = autoRotate;
  return settings;
}

std::string tooSmallLine(const std::string& path) {
  return "\"" + path + "\" has too small size and can not be resized!";
}

}  // namespace enginetest
