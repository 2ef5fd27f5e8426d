#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "image/FileIo.h"
#include "image/JpegObject.h"
#include "image/PictureFile.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/Errors.h"
#include "tests/support/ReferenceDecode.h"
#include "tests/support/TestPictures.h"

using namespace batchfit;
using crafted::BmpHeader;
using crafted::makeBmp;
using crafted::put;
using testpics::jpegError;
using testpics::JpegKind;
using testpics::messageOf;
using testpics::Samples;
using testpics::TempDir;

namespace {

using Bytes = std::vector<std::uint8_t>;

class Reading : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const Bytes& bytes) {
    const std::string path = dir.file(name);
    testpics::writeFile(path, bytes);
    return path;
  }
  // The declared size after loading bytes under the given name.
  std::pair<int, int> loaded(const std::string& name, const Bytes& bytes) {
    PictureRole role;
    loadPicture(role, write(name, bytes));
    return {role.width(), role.height()};
  }
  std::string loadMessage(const std::string& name, const Bytes& bytes) {
    return messageOf([&] { loaded(name, bytes); });
  }
  TempDir dir;
};

// The code of a header read that found no picture before the end of the file.
int jpegNoImage() {
  JpegObject jpeg;
  const std::string message = messageOf([&] { jpeg.loadBytes(Bytes{0xFF, 0xD8}); });
  return std::stoi(message.substr(message.find('#') + 1));
}

}  // namespace

TEST_F(Reading, ExtensionChoosesTheReader) {
  const Bytes jpeg = testpics::makeJpeg(40, 30);
  EXPECT_EQ(loaded("photo.JPG", jpeg), std::pair(40, 30));
  EXPECT_EQ(loaded("photo.jpeg", jpeg), std::pair(40, 30));
  EXPECT_EQ(loaded("photo.BmP", makeBmp(7, 5)), std::pair(7, 5));
  EXPECT_EQ(loadMessage("photo.jpe", jpeg), "Unknown picture file extension (.jpe)");
  EXPECT_EQ(loadMessage("Photo.JPE", jpeg), "Unknown picture file extension (.JPE)");
  EXPECT_EQ(loadMessage("photo", jpeg), "Unknown picture file extension (.)");
  EXPECT_EQ(loadMessage("photo.", jpeg), "Unknown picture file extension (.)");
  std::filesystem::create_directory(dir.path() / "old.jpg");
  EXPECT_EQ(loadMessage("old.jpg/photo", jpeg), "Unknown picture file extension (.)");
  // The content does not choose the reader: a BMP named .jpg is no JPEG stream.
  EXPECT_EQ(loadMessage("photo.jpg", makeBmp(7, 5)), jpegError(53));
}

TEST_F(Reading, FailingLoadLeavesTheRoleAsItWas) {
  PictureRole role;
  role.setSurface(PixelSurface::create(3, 4));
  const std::string bad = write("bad.bmp", Bytes(20, 'x'));
  EXPECT_EQ(messageOf([&] { loadPicture(role, bad); }), "Bitmap image is not valid");
  EXPECT_EQ(messageOf([&] { loadPicture(role, dir.file("x.gif")); }),
            "Unknown picture file extension (.gif)");
  EXPECT_TRUE(role.holdsSurface());
  EXPECT_EQ(role.width(), 3);
  EXPECT_EQ(role.height(), 4);
}

TEST_F(Reading, OpeningFailures) {
  const std::string missing = dir.file("missing.jpg");
  PictureRole role;
  EXPECT_EQ(messageOf([&] { loadPicture(role, missing); }),
            "Cannot open file \"" + missing + "\". No such file or directory");
  // A relative name is shown made absolute against the current folder.
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const std::string relative = messageOf([&] { loadPicture(role, "gone.bmp"); });
  std::filesystem::current_path(previous);
  EXPECT_EQ(relative,
            "Cannot open file \"" + dir.file("gone.bmp") + "\". No such file or directory");
  // A folder is no picture; it must fail like any file that cannot be opened.
  std::filesystem::create_directory(dir.path() / "folder.jpg");
  EXPECT_EQ(messageOf([&] { loadPicture(role, dir.file("folder.jpg")); }),
            "Cannot open file \"" + dir.file("folder.jpg") + "\". Is a directory");
  JpegObject jpeg;
  EXPECT_EQ(messageOf([&] { jpeg.loadFile(dir.file("folder.jpg")); }),
            "Cannot open file \"" + dir.file("folder.jpg") + "\". Is a directory");
  EXPECT_EQ(messageOf([&] { jpeg.loadFile("/dev/zero"); }),
            "Cannot open file \"/dev/zero\". Not a regular file");
}

TEST(SystemText, TrailingBlanksControlsAndFullStopsAreTrimmed) {
  EXPECT_EQ(systemErrorText(ENOENT), "No such file or directory");
  for (int e = 1; e < 134; ++e) {
    const std::string text = systemErrorText(e);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '.');
    EXPECT_GT(static_cast<unsigned char>(text.back()), ' ');
  }
}

TEST_F(Reading, BitmapHeaders) {
  EXPECT_EQ(loaded("a.bmp", makeBmp(9, 4)), std::pair(9, 4));
  EXPECT_EQ(loaded("b.bmp", makeBmp(6, 3, 24, BmpHeader::Core12)), std::pair(6, 3));
  EXPECT_EQ(loaded("c.bmp", makeBmp(5, 7, 32, BmpHeader::V4_108, true)),
            std::pair(5, 7));  // negative height: top down
  EXPECT_EQ(loaded("empty.bmp", {}), std::pair(0, 0));

  // Only a missing "BM" makes a file no bitmap; the rest of the header
  // declares a size, however odd: an unknown header size is read as the
  // 40-byte one, a negative width stays negative, any depth has rows.
  Bytes notBm = makeBmp(9, 4);
  notBm[0] = 'X';
  EXPECT_EQ(loadMessage("d.bmp", notBm), "Bitmap image is not valid");
  Bytes oddHeader = makeBmp(9, 4);
  put(oddHeader, 14, 20, 4);
  EXPECT_EQ(loaded("e.bmp", oddHeader), std::pair(9, 4));
  Bytes negativeWidth = makeBmp(9, 4);
  put(negativeWidth, 18, std::uint32_t(-9), 4);
  EXPECT_EQ(loaded("e2.bmp", negativeWidth), std::pair(-9, 4));
  EXPECT_EQ(loaded("e3.bmp", makeBmp(300, 200, 2)), std::pair(300, 200));

  Bytes cut = makeBmp(9, 4);
  cut.pop_back();  // one byte of pixel data missing
  EXPECT_EQ(loadMessage("f.bmp", cut), "Stream read error");
  // A pixel-data offset of 0 counts from the end of the headers, not the file's start.
  put(cut, 10, 0, 4);
  EXPECT_EQ(loadMessage("f2.bmp", cut), "Stream read error");
  EXPECT_EQ(loadMessage("g.bmp", Bytes{'B', 'M', 0, 0}), "Stream read error");
  Bytes hugeClaim = makeBmp(2, 2);
  put(hugeClaim, 18, 0x7FFFFFFF, 4);
  put(hugeClaim, 22, 0x7FFFFFFF, 4);
  EXPECT_EQ(loadMessage("h.bmp", hugeClaim), "Stream read error");
}

TEST_F(Reading, IconSizes) {
  // The first image's directory entry states the size; 0 there means 256.
  Bytes tall = crafted::makeIcon({32});
  tall[7] = 48;
  EXPECT_EQ(loaded("a.ico", tall), std::pair(32, 48));
  EXPECT_EQ(loaded("b.ico", crafted::makeIcon({256})), std::pair(256, 256));
  Bytes cursor = crafted::makeIcon({32});
  put(cursor, 2, 2, 2);
  EXPECT_EQ(loadMessage("c.ico", cursor), "Icon image is not valid");
  EXPECT_EQ(loadMessage("d.ico", Bytes(22, 0)), "Icon image is not valid");
  Bytes cut = crafted::makeIcon({32});
  cut.pop_back();
  EXPECT_EQ(loadMessage("e.ico", cut), "Stream read error");
  EXPECT_EQ(loadMessage("f.ico", {}), "Stream read error");
}

TEST_F(Reading, MetafileSizes) {
  // 1440 twips per inch: 1440 x 720 twips are one inch by half an inch at 96 dpi.
  EXPECT_EQ(loaded("a.wmf", crafted::makePlaceableWmf(0, 0, 1440, 720, 1440)), std::pair(96, 48));
  EXPECT_EQ(loaded("b.wmf", crafted::makePlaceableWmf(-100, -50, 100, 50, 100)),
            std::pair(192, 96));
  EXPECT_EQ(loaded("c.wmf", crafted::makePlainWmf(300, 200)), std::pair(300, 200));
  EXPECT_EQ(loaded("d.wmf", crafted::makePlainWmf(0, 0)), std::pair(0, 0));
  EXPECT_EQ(loaded("e.emf", crafted::makeEmf(2540, 5080)), std::pair(96, 192));
  // Either extension reads either form.
  EXPECT_EQ(loaded("f.emf", crafted::makePlainWmf(30, 20)), std::pair(30, 20));
  EXPECT_EQ(loaded("g.WMF", crafted::makeEmf(254, 254)), std::pair(10, 10));

  EXPECT_EQ(loadMessage("h.wmf", Bytes(40, 'x')), "Metafile is not valid");
  Bytes noSignature = crafted::makeEmf(2540, 2540);
  put(noSignature, 40, 0, 4);
  EXPECT_EQ(loadMessage("i.emf", noSignature), "Metafile is not valid");
  EXPECT_EQ(loadMessage("j.wmf", crafted::makePlaceableWmf(0, 0, 10, 10, 0)),
            "Metafile is not valid");
  Bytes cut = crafted::makeEmf(2540, 2540);
  cut.resize(60);
  EXPECT_EQ(loadMessage("k.emf", cut), "Stream read error");
  EXPECT_EQ(loadMessage("l.wmf", {}), "Stream read error");
}

TEST_F(Reading, JpegSizeAndEmptyFile) {
  EXPECT_EQ(loaded("a.jpg", testpics::makeJpeg(33, 17, JpegKind::Progressive)), std::pair(33, 17));
  EXPECT_EQ(loaded("b.jpg", {}), std::pair(0, 0));
  EXPECT_EQ(loadMessage("c.jpg", Bytes{0xFF}), jpegError(53));
  // The header alone is read, so a huge claim costs nothing here.
  const Bytes huge = crafted::withJpegSize(testpics::makeJpeg(16, 16), 65500, 65500);
  EXPECT_EQ(loaded("d.jpg", huge), std::pair(65500, 65500));
}

TEST_F(Reading, JpegHeaderBehindLargeMetadata) {
  // Three 64 KB application markers before the frame header, as cameras and
  // colour profiles write them.
  const Bytes plain = testpics::makeJpeg(50, 40, JpegKind::Progressive);
  Bytes padded(plain.begin(), plain.begin() + 2);
  for (int i = 0; i < 3; ++i) {
    padded.insert(padded.end(), {0xFF, 0xE1, 0xFF, 0xF0});
    padded.insert(padded.end(), 0xFFF0 - 2, std::uint8_t('x'));
  }
  padded.insert(padded.end(), plain.begin() + 2, plain.end());
  EXPECT_EQ(loaded("meta.jpg", padded), std::pair(50, 40));
  JpegObject jpeg;
  jpeg.loadFile(dir.file("meta.jpg"));
  EXPECT_TRUE(jpeg.progressiveFlag());
  // Cut inside the metadata, the file ends before any picture.
  EXPECT_EQ(loadMessage("cut.jpg", Bytes(padded.begin(), padded.begin() + 150000)),
            jpegError(jpegNoImage()));
}

TEST_F(Reading, BmpPassingTheSizeTestIsNoJpegStream) {
  const std::string path = write("big.bmp", makeBmp(300, 300));
  PictureRole pi;
  loadPicture(pi, path);
  JpegObject jpeg;
  EXPECT_EQ(messageOf([&] { jpeg.loadFile(path); }), jpegError(53));
}

TEST_F(Reading, ProgressiveFlagFollowsTheLastNonEmptyLoad) {
  JpegObject jpeg;
  EXPECT_FALSE(jpeg.progressiveFlag());
  EXPECT_EQ(jpeg.qualityValue(), 90);
  jpeg.loadFile(write("p.jpg", testpics::makeJpeg(20, 10, JpegKind::Progressive)));
  EXPECT_TRUE(jpeg.progressiveFlag());
  EXPECT_EQ(jpeg.headerWidth(), 20u);
  EXPECT_EQ(jpeg.headerHeight(), 10u);
  PictureRole pi;
  jpeg.decodeTo(pi);
  // A file that cannot be opened leaves the object as it was.
  EXPECT_NE(messageOf([&] { jpeg.loadFile(dir.file("missing.jpg")); }), "(no error)");
  EXPECT_TRUE(jpeg.heldSurface().has_value());
  EXPECT_EQ(jpeg.headerWidth(), 20u);
  jpeg.loadFile(write("empty.jpg", {}));
  EXPECT_TRUE(jpeg.progressiveFlag());
  EXPECT_EQ(jpeg.headerWidth(), 0u);
  jpeg.loadFile(write("b.jpg", testpics::makeJpeg(20, 10)));
  EXPECT_FALSE(jpeg.progressiveFlag());
  EXPECT_FALSE(jpeg.oneComponent());
  jpeg.loadFile(write("g.jpg", testpics::makeJpeg(20, 10, JpegKind::Gray)));
  EXPECT_TRUE(jpeg.oneComponent());
}

TEST_F(Reading, EmptyFileFailsOnlyWhenDecoded) {
  JpegObject jpeg;
  jpeg.loadFile(write("empty.jpg", {}));
  PictureRole pi;
  EXPECT_EQ(messageOf([&] { jpeg.decodeTo(pi); }), jpegError(42));
  JpegObject fresh;  // no bytes at all
  EXPECT_EQ(messageOf([&] { fresh.decodeTo(pi); }), jpegError(42));
}

TEST_F(Reading, ColourDecodeMatchesPlainLibjpegRgb) {
  // Odd sizes and both scan kinds: pixels written straight into the surface
  // rows must equal libjpeg's own RGB output.
  for (const JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive}) {
    const Bytes bytes = testpics::makeJpeg(37, 23, kind, testpics::gradient, 75);
    JpegObject jpeg;
    jpeg.loadBytes(bytes);
    PictureRole pi;
    jpeg.decodeTo(pi);
    const PixelSurface expected = testpics::referenceDecode(bytes);
    ASSERT_EQ(pi.width(), 37);
    ASSERT_EQ(pi.height(), 23);
    for (int y = 0; y < 23; ++y) {
      for (int x = 0; x < 37; ++x) {
        ASSERT_EQ(pi.surface().getPixel(x, y), expected.getPixel(x, y)) << x << "," << y;
      }
    }
  }
}

TEST_F(Reading, GrayDecodeUsesAtMost236EqualChannelLevels) {
  const auto ramp = [](int x, int y) {
    const auto v = std::uint8_t((x * 5 + y) & 0xFF);
    return testpics::Rgb{v, v, v};
  };
  const Bytes bytes = testpics::makeJpeg(64, 48, JpegKind::Gray, ramp, 90);
  JpegObject jpeg;
  jpeg.loadBytes(bytes);
  PictureRole pi;
  jpeg.decodeTo(pi);
  const PixelSurface expected = testpics::referenceDecode(bytes);
  std::set<ColorRef> levels;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const ColorRef c = pi.surface().getPixel(x, y);
      ASSERT_EQ(redOf(c), greenOf(c));
      ASSERT_EQ(redOf(c), blueOf(c));
      ASSERT_EQ(c, expected.getPixel(x, y)) << x << "," << y;
      levels.insert(c);
    }
  }
  EXPECT_LE(levels.size(), 236u);
  EXPECT_GT(levels.size(), 100u);
}

TEST_F(Reading, FourComponentPicturesDecodeToTheirColours) {
  // Ink samples per 8 x 8 block: cyan, magenta, yellow, black, none, half black.
  const std::array<std::array<int, 4>, 6> inks{{{255, 0, 0, 0},
                                                {0, 255, 0, 0},
                                                {0, 0, 255, 0},
                                                {0, 0, 0, 255},
                                                {0, 0, 0, 0},
                                                {0, 0, 0, 128}}};
  const std::array<ColorRef, 6> colours{makeColor(0, 255, 255),   makeColor(255, 0, 255),
                                        makeColor(255, 255, 0),   makeColor(0, 0, 0),
                                        makeColor(255, 255, 255), makeColor(127, 127, 127)};
  for (const Samples kind : {Samples::AdobeCmyk, Samples::Ycck, Samples::PlainCmyk}) {
    const bool inverted = kind != Samples::PlainCmyk;
    const Bytes bytes = testpics::makeRawJpeg(48, 8, kind, [&](int x, int) {
      std::array<std::uint8_t, 4> s{};
      for (int c = 0; c < 4; ++c) {
        const int ink = inks[std::size_t(x / 8)][std::size_t(c)];
        s[std::size_t(c)] = std::uint8_t(inverted ? 255 - ink : ink);
      }
      return s;
    });
    JpegObject jpeg;
    jpeg.loadBytes(bytes);
    PictureRole pi;
    jpeg.decodeTo(pi);
    for (std::size_t block = 0; block < colours.size(); ++block) {
      const ColorRef c = pi.surface().getPixel(int(block) * 8 + 4, 4);
      for (auto [got, want] : {std::pair{redOf(c), redOf(colours[block])},
                               {greenOf(c), greenOf(colours[block])},
                               {blueOf(c), blueOf(colours[block])}}) {
        EXPECT_NEAR(got, want, 3) << "kind " << int(kind) << " block " << block;
      }
    }
  }
}

TEST_F(Reading, TwoComponentPictureFailsWithAJpegError) {
  const Bytes bytes = testpics::makeRawJpeg(16, 16, Samples::TwoComponent,
                                            [](int, int) { return std::array<std::uint8_t, 4>{}; });
  JpegObject jpeg;
  jpeg.loadBytes(bytes);
  PictureRole pi;
  EXPECT_EQ(messageOf([&] { jpeg.decodeTo(pi); }).rfind("JPEG error #", 0), 0u);
  EXPECT_FALSE(pi.holdsSurface());
}

TEST_F(Reading, TruncatedJpegDecodesWithoutError) {
  // Large enough that even the 10 % cut lies in the image data, past the tables.
  for (const JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive}) {
    const Bytes full = testpics::makeJpeg(256, 256, kind);
    for (const double share : {0.1, 0.5, 0.99}) {
      JpegObject jpeg;
      jpeg.loadBytes(Bytes(full.begin(), full.begin() + std::ptrdiff_t(full.size() * share)));
      PictureRole pi;
      EXPECT_EQ(messageOf([&] { jpeg.decodeTo(pi); }), "(no error)") << share;
      EXPECT_EQ(pi.width(), 256);
      EXPECT_EQ(pi.height(), 256);
    }
  }
  // The rows before the cut come out as in the whole picture.
  const Bytes full = testpics::makeJpeg(64, 64);
  JpegObject jpeg;
  jpeg.loadBytes(Bytes(full.begin(), full.begin() + std::ptrdiff_t(full.size() * 0.6)));
  PictureRole pi;
  jpeg.decodeTo(pi);
  const PixelSurface whole = testpics::referenceDecode(full);
  for (int x = 0; x < 64; ++x) EXPECT_EQ(pi.surface().getPixel(x, 0), whole.getPixel(x, 0));
}

TEST_F(Reading, HugeHeaderFailsBeforeAnythingIsAllocated) {
  setSurfaceMemoryLimit(64u << 20);
  for (const JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive}) {
    JpegObject jpeg;
    jpeg.loadBytes(crafted::withJpegSize(testpics::makeJpeg(16, 16, kind), 65500, 65500));
    EXPECT_EQ(jpeg.headerWidth(), 65500u);
    PictureRole pi;
    EXPECT_EQ(messageOf([&] { jpeg.decodeTo(pi); }), "Out of system resources");
  }
  setSurfaceMemoryLimit(0);
}

// A picture within the limit decodes, whole or row by row; one byte less
// fails before anything is allocated. A progressive picture counts libjpeg's
// coefficients too: 2 bytes for each of 64 in 3 x 125 x 125 blocks.
TEST_F(Reading, ProgressivePictureCountsItsCoefficientsAgainstTheLimit) {
  const Bytes progressive = testpics::makeJpeg(1000, 1000, JpegKind::Progressive444);
  const std::uint64_t need = 1000 * 1000 * 4 + 3 * 125 * 125 * 128;
  JpegObject jpeg;
  jpeg.loadBytes(progressive);
  const auto decodeMessage = [&] {
    PictureRole pi;
    jpeg.loadBytes(progressive);
    return messageOf([&] { jpeg.decodeTo(pi); });
  };
  const auto scanMessage = [&] {
    return messageOf([&] { jpeg.scanRows([](std::int32_t, const ColorRef*) {}); });
  };
  for (const std::uint64_t limit : {need - 1, need}) {
    SCOPED_TRACE(limit);
    setSurfaceMemoryLimit(limit);
    const std::string expected = limit < need ? "Out of system resources" : "(no error)";
    EXPECT_EQ(decodeMessage(), expected);
    EXPECT_EQ(scanMessage(), expected);
  }
  setSurfaceMemoryLimit(0);
}

// libjpeg finding no memory for a picture within the limit (here one set far
// beyond it, in a child whose address space is capped) is out of resources too.
TEST_F(Reading, LibjpegOutOfMemoryIsOutOfSystemResources) {
  if (!testpics::canCapAddressSpace()) GTEST_SKIP() << "the sanitizers take the address space";
  JpegObject jpeg;
  jpeg.loadBytes(
      crafted::withJpegSize(testpics::makeJpeg(16, 16, JpegKind::Progressive), 65500, 65500));
  const auto scanCapped = [&] {
    const rlimit cap{2ull << 30, 2ull << 30};
    setrlimit(RLIMIT_AS, &cap);
    setSurfaceMemoryLimit(std::uint64_t(1) << 62);
    const std::string message =
        messageOf([&] { jpeg.scanRows([](std::int32_t, const ColorRef*) {}); });
    std::fprintf(stderr, "[%s]\n", message.c_str());
    std::exit(0);
  };
  EXPECT_EXIT(scanCapped(), ::testing::ExitedWithCode(0), "\\[Out of system resources\\]");
}

// The rows a scan hands out, as one surface.
PixelSurface scanned(const JpegObject& jpeg) {
  PixelSurface rows =
      PixelSurface::create(std::int32_t(jpeg.headerWidth()), std::int32_t(jpeg.headerHeight()));
  std::int32_t expected = 0;
  jpeg.scanRows([&](std::int32_t y, const ColorRef* row) {
    EXPECT_EQ(y, expected++) << "rows come top down, each once";
    std::copy(row, row + rows.width(), rows.mutableRow(y));
  });
  EXPECT_EQ(expected, rows.height());
  return rows;
}

// A scan decodes exactly as decodeTo does, for every kind of JPEG picture,
// also one cut short, and leaves the held picture as it was.
TEST_F(Reading, RowScanGivesTheRowsOfTheDecodedPicture) {
  std::vector<Bytes> pictures;
  for (const JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive, JpegKind::Gray}) {
    pictures.push_back(testpics::makeJpeg(37, 23, kind, testpics::gradient, 75));
  }
  pictures.push_back(testpics::makeRawJpeg(24, 16, Samples::AdobeCmyk, [](int x, int y) {
    return std::array<std::uint8_t, 4>{std::uint8_t(x * 9), std::uint8_t(y * 13), 40, 90};
  }));
  const Bytes whole = testpics::makeJpeg(64, 64);
  pictures.emplace_back(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() * 0.6));
  for (const Bytes& bytes : pictures) {
    SCOPED_TRACE("picture " + std::to_string(&bytes - pictures.data()));
    JpegObject jpeg;
    jpeg.loadBytes(bytes);
    const PixelSurface rows = scanned(jpeg);
    EXPECT_FALSE(jpeg.heldSurface().has_value());
    PictureRole pi;
    jpeg.decodeTo(pi);
    for (int y = 0; y < rows.height(); ++y) {
      for (int x = 0; x < rows.width(); ++x) {
        ASSERT_EQ(rows.getPixel(x, y), pi.surface().getPixel(x, y)) << x << "," << y;
      }
    }
  }
}

// A colour photo with luma sampled h x v against chroma.
Bytes sampledJpeg(int width, int height, int h, int v,
                  const std::function<void(jpeg_compress_struct&)>& more = {}) {
  return testpics::makeColourJpeg(width, height, testpics::busy, [&](jpeg_compress_struct& c) {
    jpeg_set_quality(&c, 85, TRUE);
    c.comp_info[0].h_samp_factor = h;
    c.comp_info[0].v_samp_factor = v;
    if (more) more(c);
  });
}

// Rows 0 to height - 1 that a sampling of count rows reads.
std::vector<std::int32_t> everyNth(int height, int count) {
  std::vector<std::int32_t> rows;
  for (int i = 0; i < count; ++i) {
    const std::int32_t row = std::int32_t(std::int64_t(i) * height / count);
    if (rows.empty() || rows.back() != row) rows.push_back(row);
  }
  return rows;
}

// Given the rows it must hand out, a scan passes over others where the
// decoder allows, and still hands each of those rows exactly as the whole
// decode has it: for every kind of photo and subsampling, restart intervals,
// photos cut short (a progressive one smoothed), and sparse or clustered rows
// at the edges of the decoder's row groups.
TEST_F(Reading, RowScanOfNeededRowsGivesThemAsTheWholeDecode) {
  const auto progressive = [](jpeg_compress_struct& c) { jpeg_simple_progression(&c); };
  const auto restarts = [](jpeg_compress_struct& c) { c.restart_in_rows = 1; };
  const std::vector<std::pair<std::string, Bytes>> photos = {
      {"4:2:0", sampledJpeg(203, 157, 2, 2)},
      {"4:2:0 progressive", sampledJpeg(203, 157, 2, 2, progressive)},
      {"4:2:2", sampledJpeg(203, 157, 2, 1)},
      {"4:2:2 progressive", sampledJpeg(203, 157, 2, 1, progressive)},
      {"4:4:0", sampledJpeg(203, 157, 1, 2)},
      {"4:4:4", sampledJpeg(203, 157, 1, 1)},
      {"4:4:4 progressive", sampledJpeg(203, 157, 1, 1, progressive)},
      {"4:2:0 restarts", sampledJpeg(203, 157, 2, 2, restarts)},
      {"4:2:2 progressive restarts",
       sampledJpeg(203, 157, 2, 1, [&](auto& c) { progressive(c), restarts(c); })},
      {"gray", testpics::makeJpeg(203, 157, JpegKind::Gray, testpics::busy, 85)},
      {"cmyk", testpics::makeJpeg(203, 157, JpegKind::Cmyk, testpics::busy, 85)},
      {"cut short", crafted::cutTo(sampledJpeg(203, 157, 2, 2), 60)},
      {"progressive cut short", crafted::cutTo(sampledJpeg(203, 157, 2, 2, progressive), 45)},
      {"one row", sampledJpeg(203, 1, 2, 2)}};
  const std::vector<std::vector<std::int32_t>> samplings = {everyNth(157, 157),
                                                            everyNth(157, 60),
                                                            everyNth(157, 11),
                                                            everyNth(157, 3),
                                                            {0},
                                                            {156},
                                                            {7, 8, 15, 16, 17, 31, 32, 33, 100},
                                                            {150, 151, 152, 153, 154, 155, 156},
                                                            {40},
                                                            {}};
  for (const auto& [what, bytes] : photos) {
    JpegObject jpeg;
    jpeg.loadBytes(bytes);
    PictureRole whole;
    jpeg.decodeTo(whole);
    const PixelSurface& picture = whole.surface();
    for (std::vector<std::int32_t> needed : samplings) {
      std::erase_if(needed, [&](std::int32_t y) { return y >= picture.height(); });
      SCOPED_TRACE(what + ", " + std::to_string(needed.size()) + " rows needed");
      std::size_t handed = 0;
      jpeg.scanRows(
          [&](std::int32_t y, const ColorRef* row) {
            while (handed < needed.size() && needed[handed] < y) ++handed;
            const bool wanted = handed < needed.size() && needed[handed] == y;
            for (std::int32_t x = 0; x < picture.width() && wanted; ++x) {
              ASSERT_EQ(row[x], picture.getPixel(x, y)) << x << "," << y;
            }
            if (wanted) ++handed;
          },
          &needed);
      EXPECT_EQ(handed, needed.size()) << "every needed row handed";
    }
  }
}

TEST_F(Reading, RowScanFailsAsDecodingDoes) {
  const auto scanError = [](const Bytes& bytes) {
    JpegObject jpeg;
    jpeg.loadBytes(bytes);
    return messageOf([&] { jpeg.scanRows([](std::int32_t, const ColorRef*) {}); });
  };
  EXPECT_EQ(scanError({}), jpegError(42));
  EXPECT_EQ(scanError(testpics::makeRawJpeg(16, 16, Samples::TwoComponent,
                                            [](int, int) { return std::array<std::uint8_t, 4>{}; }))
                .rfind("JPEG error #", 0),
            0u);
  setSurfaceMemoryLimit(64u << 20);
  EXPECT_EQ(scanError(crafted::withJpegSize(testpics::makeJpeg(16, 16), 65500, 65500)),
            "Out of system resources");
  setSurfaceMemoryLimit(0);
}

TEST_F(Reading, DecodingHappensOncePerLoadAndCopiesStayIntact) {
  const Bytes first = testpics::makeJpeg(32, 32);
  const auto red = [](int, int) { return testpics::Rgb{255, 0, 0}; };
  JpegObject jpeg;
  jpeg.loadBytes(first);
  PictureRole pi;
  jpeg.decodeTo(pi);
  const ColorRef* decoded = pi.surface().row(0);
  PictureRole again;
  jpeg.decodeTo(again);
  EXPECT_EQ(again.surface().row(0), decoded);  // handed out again, not decoded again

  // The editor's copy of the first picture outlives the next decode into the same memory.
  const PixelSurface editorCopy = pi.surface();
  const PixelSurface expected = testpics::referenceDecode(first);
  pi.setPicture(Picture{});
  again.setPicture(Picture{});
  jpeg.loadBytes(testpics::makeJpeg(32, 32, JpegKind::Baseline, red));
  jpeg.decodeTo(pi);
  EXPECT_GT(redOf(pi.surface().getPixel(5, 5)), 240);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(editorCopy.getPixel(x, y), expected.getPixel(x, y));
  }
}
