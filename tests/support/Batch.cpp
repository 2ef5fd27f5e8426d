#include "tests/support/Batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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

std::vector<std::string> Batch::outputs() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(outputFolder())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

namespace {
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
}  // namespace

batchfit::PixelSurface readBmp(const std::string& path) {
  const std::vector<std::uint8_t> b = testpics::readFile(path);
  EXPECT_GE(b.size(), 54u) << path;
  if (b.size() < 54) return {};
  const int width = int(le32(b, 18));
  const int height = int(le32(b, 22));
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

std::string tooSmallLine(const std::string& path) {
  return "\"" + path + "\" has too small size and can not be resized!";
}

}  // namespace enginetest
