// Writes the seed corpus of the fuzz targets into the folder given:
// pictures/ (every kind the run reads, valid and slightly broken), resize/
// (settings bytes followed by a JPEG), spin/ and paths/ (texts), exif/
// (JPEGs with an EXIF Orientation tag, whole, broken and cut), and png/,
// bmp/, tiff/, webp/ and heif/ (each kind the readers of the other formats
// take, with a colour profile and an orientation, cut, and a bomb).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/CraftedFiles.h"
#include "tests/support/PhotoFiles.h"
#include "tests/support/Surfaces.h"
#include "tests/support/TestPictures.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testpics::JpegKind;
using testpics::makeJpeg;

void write(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void writeText(const fs::path& path, const std::string& text) {
  write(path, Bytes(text.begin(), text.end()));
}

void writePictures(const fs::path& dir) {
  using crafted::BmpHeader;
  const Bytes baseline = makeJpeg(64, 48);
  write(dir / "baseline.jpg", baseline);
  write(dir / "portrait.jpg", makeJpeg(30, 41));
  write(dir / "progressive.jpg", makeJpeg(40, 30, JpegKind::Progressive));
  write(dir / "gray.jpg", makeJpeg(33, 17, JpegKind::Gray));
  write(dir / "cmyk.jpg", makeJpeg(24, 24, JpegKind::Cmyk));
  write(dir / "one-pixel.jpg", makeJpeg(1, 1));
  write(dir / "huge-header.jpg", crafted::withJpegSize(makeJpeg(16, 16), 65500, 65500));
  write(dir / "bad-huffman.jpg", crafted::withBadHuffmanTable(baseline));
  write(dir / "cut.jpg", crafted::cutTo(baseline, 60));
  write(dir / "core.bmp", crafted::makeBmp(20, 10, 24, BmpHeader::Core12));
  write(dir / "core-8bit.bmp", crafted::makeBmp(9, 7, 8, BmpHeader::Core12));
  write(dir / "info-1bit.bmp", crafted::makeBmp(13, 5, 1));
  write(dir / "info-4bit.bmp", crafted::makeBmp(11, 6, 4));
  write(dir / "info-24bit.bmp", crafted::makeBmp(7, 9));
  write(dir / "info-32bit-topdown.bmp", crafted::makeBmp(8, 8, 32, BmpHeader::Info40, true));
  write(dir / "v4.bmp", crafted::makeBmp(6, 4, 32, BmpHeader::V4_108));
  write(dir / "v5.bmp", crafted::makeBmp(5, 3, 24, BmpHeader::V5_124));
  write(dir / "one.ico", crafted::makeIcon({16}));
  write(dir / "three.ico", crafted::makeIcon({8, 32, 256}));
  write(dir / "placeable.wmf", crafted::makePlaceableWmf(0, 0, 2880, 1440));
  write(dir / "plain.wmf", crafted::makePlainWmf(640, 480));
  write(dir / "bounds.emf", crafted::makeEmf(8467, 5292));
}

// Settings bytes as the resize-all target reads them: width and height
// (value + 8, modulo 96), flags (rotate, direction, anti-alias, BMP), quality.
void writeResize(const fs::path& dir) {
  const std::vector<std::pair<std::string, Bytes>> cases = {
      {"straight", {24, 28, 0x01, 100}},   {"turned-left", {24, 28, 0x09, 90}},
      {"turned-right", {24, 28, 0x13, 1}}, {"no-rotate-bmp", {20, 20, 0x18, 0}},
      {"zero-width", {8, 20, 0x01, 50}},   {"negative", {4, 2, 0x01, 50}},
  };
  const std::vector<std::pair<std::string, Bytes>> pictures = {
      {"landscape", makeJpeg(48, 36)},
      {"progressive", makeJpeg(36, 48, JpegKind::Progressive)},
      {"gray", makeJpeg(40, 40, JpegKind::Gray)},
      {"cmyk", makeJpeg(32, 24, JpegKind::Cmyk)},
  };
  for (const auto& [settingsName, settings] : cases) {
    for (const auto& [pictureName, picture] : pictures) {
      Bytes seed = settings;
      seed.insert(seed.end(), picture.begin(), picture.end());
      write(dir / (settingsName + "-" + pictureName), seed);
    }
  }
}

// Every tag in both byte orders, a value out of range, and a tagged photo cut
// inside its EXIF segment and inside its first scan.
void writeExif(const fs::path& dir) {
  const Bytes photo = makeJpeg(16, 12);
  for (std::uint16_t tag = 1; tag <= 8; ++tag) {
    write(dir / ("intel-" + std::to_string(tag)), crafted::withExifOrientation(photo, tag));
    write(dir / ("motorola-" + std::to_string(tag)),
          crafted::withExifOrientation(photo, tag, true));
  }
  write(dir / "out-of-range", crafted::withExifOrientation(photo, 9, true));
  const Bytes tagged = crafted::withExifOrientation(photo, 6);
  write(dir / "cut-in-exif", Bytes(tagged.begin(), tagged.begin() + 40));
  write(dir / "cut-in-scan", crafted::cutTo(tagged, 90));
  write(dir / "untagged", photo);
}

// Each photo also cut short, so the fuzzer starts from the failing paths too.
void writeWithCut(const fs::path& dir, const std::string& name, const Bytes& bytes) {
  write(dir / name, bytes);
  write(dir / ("cut-" + name), crafted::cutTo(bytes, 70));
}

void writeOtherFormats(const fs::path& root) {
  using namespace photofiles;
  const batchfit::PixelSurface photo = testpics::patterned(24, 17);
  const Bytes profile = swappedRedGreenProfile();
  const AlphaFn alpha = [](int x, int y) { return std::uint8_t(x * 10 + y); };
  PngOptions tagged, gray16, palette, interlacedAlpha;
  tagged.iccProfile = profile;
  tagged.orientation = 6;
  gray16.colour = PngColour::Gray;
  gray16.bitDepth = 16;
  palette.colour = PngColour::Palette;
  interlacedAlpha.colour = PngColour::RgbAlpha;
  interlacedAlpha.interlaced = true;
  interlacedAlpha.alpha = alpha;
  writeWithCut(root / "png", "tagged.png", writePng(photo, tagged));
  writeWithCut(root / "png", "gray16.png", writePng(photo, gray16));
  writeWithCut(root / "png", "palette.png", writePng(testpics::filled(9, 9, 0x123456), palette));
  writeWithCut(root / "png", "interlaced-alpha.png", writePng(photo, interlacedAlpha));
  write(root / "png" / "bomb.png", pngBomb(100000, 100000));
  writeWithCut(root / "bmp", "32bit.bmp", crafted::makeBmp(11, 6, 32));
  writeWithCut(root / "bmp", "8bit.bmp", crafted::makeBmp(13, 5, 8));
  writeWithCut(root / "bmp", "core.bmp", crafted::makeBmp(9, 7, 24, crafted::BmpHeader::Core12));
  TiffOptions tiffTagged, tiffPages;
  tiffTagged.iccProfile = profile;
  tiffTagged.orientation = 8;
  tiffTagged.alpha = alpha;
  tiffPages.tiled = true;
  tiffPages.pages = 2;
  tiffPages.gray = true;
  tiffPages.bitsPerSample = 16;
  writeWithCut(root / "tiff", "tagged.tif", writeTiff(photo, tiffTagged));
  writeWithCut(root / "tiff", "tiled-pages.tif", writeTiff(photo, tiffPages));
  WebpOptions webpTagged, lossy;
  webpTagged.iccProfile = profile;
  webpTagged.orientation = 3;
  webpTagged.alpha = alpha;
  lossy.lossless = false;
  writeWithCut(root / "webp", "tagged.webp", writeWebp(photo, webpTagged));
  writeWithCut(root / "webp", "lossy.webp", writeWebp(photo, lossy));
  HeifOptions heic, avif;
  heic.iccProfile = profile;
  heic.orientation = 6;
  heic.images = 2;
  avif.codec = HeifCodec::Av1;
  writeWithCut(root / "heif", "tagged.heic", writeHeif(photo, heic));
  writeWithCut(root / "heif", "plain.avif", writeHeif(photo, avif));
}

void writeTexts(const fs::path& dir, const std::vector<std::string>& texts) {
  for (std::size_t i = 0; i < texts.size(); ++i) writeText(dir / std::to_string(i), texts[i]);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* group :
       {"pictures", "resize", "spin", "paths", "exif", "png", "bmp", "tiff", "webp", "heif"}) {
    fs::create_directories(root / group);
  }
  writePictures(root / "pictures");
  writeResize(root / "resize");
  writeExif(root / "exif");
  writeOtherFormats(root);
  writeTexts(root / "spin", {"176", "  -220", "+17", "$B0", "x7FFFFFFF", "0XffffFFFF",
                             "-2147483648", "2147483648", "17.6", "176 ", "", "abc", "-$10"});
  writeTexts(root / "paths", {"C:\\Pics\\a.b.jpg", "D:\\Pics.old\\photo", "trail.",
                              "/tmp/Save Your Resized Files Here", "/home/u/photos/IMG_0001.JPG",
                              "noext", "a:b\\c.d/e", ".hidden", "dir/"});
  return 0;
}
