// Whole runs in the resize-all mode over a mixed batch, every output pixel
// checked against a computation of its own: the inputs decoded here with
// libjpeg, and the sampling done in exact integer arithmetic.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>

#include "tests/support/Batch.h"
#include "tests/support/ReferenceDecode.h"

using batchfit::ColorRef;
using batchfit::makeColor;
using batchfit::PixelSurface;
using enginetest::Batch;
using enginetest::readBmp;
using enginetest::tooSmallLine;
using testpics::JpegKind;

namespace {

using u128 = unsigned __int128;

// An exact binary number mantissa * 2^-shift.
struct Binary {
  u128 mantissa;
  int shift;
};

// mantissa / 2^bits rounded to the nearest integer, an exact half to even.
u128 roundShift(u128 mantissa, int bits) {
  if (bits <= 0) return mantissa << -bits;
  const u128 whole = mantissa >> bits;
  const u128 rest = mantissa - (whole << bits);
  const u128 half = u128(1) << (bits - 1);
  return (rest > half || (rest == half && (whole & 1))) ? whole + 1 : whole;
}

int bitLength(u128 v) {
  int n = 0;
  while (v) {
    v >>= 1;
    ++n;
  }
  return n;
}

// Rounds an exact binary number to `precision` significant bits, to nearest even.
Binary roundToPrecision(Binary value, int precision) {
  const int excess = bitLength(value.mantissa) - precision;
  if (excess <= 0) return value;
  Binary rounded{roundShift(value.mantissa, excess), value.shift - excess};
  if (bitLength(rounded.mantissa) > precision) rounded = {rounded.mantissa >> 1, rounded.shift - 1};
  return rounded;
}

// a / b (both positive) rounded to `precision` significant bits.
Binary quotient(std::uint64_t a, std::uint64_t b, int precision) {
  const int shift = precision + 2 + bitLength(b) - bitLength(a);  // leaves guard bits
  const u128 scaled = u128(a) << shift;
  const u128 q = scaled / b;
  const bool inexact = scaled % b != 0;
  // A sticky bit below the guard bits keeps "above half" apart from "half".
  return roundToPrecision({(q << 1) | (inexact ? 1 : 0), shift + 1}, precision);
}

// N(i * factor) where factor is a / b computed to 64 bits and stored as a
// double, the product formed to 64 bits and rounded half to even.
std::int64_t sourceIndex(std::int64_t i, std::int64_t a, std::int64_t b) {
  if (i == 0) return 0;
  const Binary factor = roundToPrecision(quotient(a, b, 64), 53);
  const Binary product = roundToPrecision({factor.mantissa * u128(i), factor.shift}, 64);
  return std::int64_t(roundShift(product.mantissa, product.shift));
}

TEST(ExactModel, RoundsTheStoredFactorNotTheTrueQuotient) {
  EXPECT_EQ(sourceIndex(1, 3, 2), 2);  // 1.5 to even
  EXPECT_EQ(sourceIndex(3, 3, 2), 4);  // 4.5 to even
  EXPECT_EQ(sourceIndex(5, 3, 2), 8);  // 7.5
  EXPECT_EQ(sourceIndex(175, 300, 176), 298);
  // Exact halves of the true quotient go where the stored factor puts them:
  // 66 * 180 / 176 = 67.5 and 44 * 178 / 176 = 44.5.
  EXPECT_EQ(sourceIndex(66, 180, 176), 67);
  EXPECT_EQ(sourceIndex(44, 178, 176), 45);
}

// The expected output of one picture in the resize-all mode.
PixelSurface expectedOutput(const PixelSurface& picture, int tw, int th, bool clockwise,
                            bool antiAlias) {
  const int W = picture.width();
  const int H = picture.height();
  const bool same = (tw > th && H < W) || (th > tw && W < H);
  PixelSurface out = PixelSurface::create(tw, th);
  for (int x = 0; x < tw; ++x) {
    for (int y = 0; y < th; ++y) {
      std::int64_t X, Y;
      if (same) {
        X = sourceIndex(x, W, tw);
        Y = sourceIndex(y, H, th);
      } else if (clockwise) {
        X = sourceIndex(y, W, th);
        Y = sourceIndex(tw - 1 - x, H, tw);
      } else {
        X = sourceIndex(th - 1 - y, W, th);
        Y = sourceIndex(x, H, tw);
      }
      EXPECT_TRUE(X >= 0 && X < W && Y >= 0 && Y < H);
      out.setPixel(x, y, picture.getPixel(int(X), int(Y)));
    }
  }
  if (!antiAlias) return out;
  // Left to right; the new left neighbour and the old right one, white outside.
  for (int y = 0; y < th; ++y) {
    unsigned left[3] = {255, 255, 255};
    for (int x = 0; x < tw; ++x) {
      const ColorRef right = x + 1 < tw ? out.getPixel(x + 1, y) : 0xFFFFFF;
      const unsigned next[3] = {(left[0] + (right & 0xFF)) / 2,
                                (left[1] + ((right >> 8) & 0xFF)) / 2,
                                (left[2] + ((right >> 16) & 0xFF)) / 2};
      out.setPixel(x, y, makeColor(next[0], next[1], next[2]));
      std::copy(next, next + 3, left);
    }
  }
  return out;
}

struct Input {
  std::string name;
  int width, height;
  JpegKind kind;
};

const Input MixedBatch[] = {
    {"portrait.jpg", 182, 410, JpegKind::Baseline},
    {"landscape.jpg", 500, 300, JpegKind::Baseline},
    {"square.jpg", 250, 250, JpegKind::Baseline},
    {"small.jpg", 150, 200, JpegKind::Baseline},
    {"progressive.jpg", 264, 330, JpegKind::Progressive},
    {"gray.jpg", 230, 290, JpegKind::Gray},
    {"exact.jpeg", 176, 220, JpegKind::Baseline},
};

void runMixedBatch(batchfit::Turn direction, bool antiAlias) {
  Batch batch;
  batch.settings.mode = batchfit::Mode::ResizeAll;
  batch.settings.saveFormat = batchfit::SaveFormat::Bmp;
  batch.settings.rotateDirection = direction;
  batch.settings.antiAlias = antiAlias;
  std::string small;
  for (const Input& input : MixedBatch) {
    const std::string path = batch.addJpeg(input.name, input.width, input.height, input.kind);
    if (input.name == "small.jpg") small = path;
  }
  batch.run();
  EXPECT_EQ(batch.frontEnd.messages, std::vector<std::string>{tooSmallLine(small)});
  EXPECT_EQ(batch.outputs(),
            (std::vector<std::string>{"exact.bmp", "gray.bmp", "landscape.bmp", "portrait.bmp",
                                      "progressive.bmp", "square.bmp"}));
  for (const Input& input : MixedBatch) {
    if (input.name == "small.jpg") continue;
    const PixelSurface picture =
        testpics::referenceDecode(testpics::readFile(batch.dir.file("in/" + input.name)));
    const PixelSurface expected =
        expectedOutput(picture, 176, 220, direction == batchfit::Turn::Right, antiAlias);
    const std::string bmpName = input.name.substr(0, input.name.find('.')) + ".bmp";
    const PixelSurface written = readBmp(batch.output(bmpName));
    ASSERT_EQ(written.width(), 176) << bmpName;
    ASSERT_EQ(written.height(), 220) << bmpName;
    for (int y = 0; y < 220; ++y) {
      for (int x = 0; x < 176; ++x) {
        ASSERT_EQ(written.getPixel(x, y), expected.getPixel(x, y))
            << bmpName << " at " << x << "," << y;
      }
    }
  }
}

TEST(ResizeAllRun, EveryBmpPixelMatchesTurningLeft) {
  runMixedBatch(batchfit::Turn::Left, false);
}

TEST(ResizeAllRun, EveryBmpPixelMatchesTurningRightWithAntiAliasing) {
  runMixedBatch(batchfit::Turn::Right, true);
}

bool progressiveFile(const std::string& path) {
  bool progressive = false;
  testpics::decompressJpeg(testpics::readFile(path), [&](jpeg_decompress_struct& info) {
    progressive = jpeg_has_multiple_scans(&info);
    EXPECT_EQ(info.image_width, 176u);
    EXPECT_EQ(info.image_height, 220u);
    EXPECT_EQ(info.num_components, 3);
  });
  return progressive;
}

TEST(ResizeAllRun, JpegOutputsKeepTheInputNamesAndFollowEachInputsProgression) {
  Batch batch;
  batch.settings.mode = batchfit::Mode::ResizeAll;
  for (const Input& input : MixedBatch) {
    batch.addJpeg(input.name, input.width, input.height, input.kind);
  }
  batch.run();
  EXPECT_EQ(batch.outputs(),
            (std::vector<std::string>{"exact.jpeg", "gray.jpg", "landscape.jpg", "portrait.jpg",
                                      "progressive.jpg", "square.jpg"}));
  EXPECT_TRUE(progressiveFile(batch.output("progressive.jpg")));
  EXPECT_FALSE(progressiveFile(batch.output("gray.jpg")));
  EXPECT_FALSE(progressiveFile(batch.output("exact.jpeg")));
}

}  // namespace
