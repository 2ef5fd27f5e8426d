// Smooth scaling against a direct double-precision Lanczos-3 convolution, its
// turns, the scale a JPEG is decoded at, and a smooth run.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cmath>
#include <numbers>

#include "engine/SmoothScaling.h"
#include "image/JpegObject.h"
#include "tests/support/Batch.h"
#include "tests/support/ReferenceDecode.h"
#include "tests/support/Surfaces.h"

using namespace batchfit;
using enginetest::target;
using testpics::filled;
using testpics::patterned;

namespace {

double lanczos(double x) {
  if (x == 0) return 1;
  if (std::fabs(x) >= 3) return 0;
  const double px = std::numbers::pi * x;
  return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

// Each target pixel as the straight Lanczos-3 of every source pixel at once,
// centred where the target pixel's middle falls on the source, the weights
// over the pixels inside normalized; channel is 0, 8 or 16.
double reference(const PixelSurface& source, int tw, int th, int x, int y, int channel) {
  const double sx = double(source.width()) / tw;
  const double sy = double(source.height()) / th;
  const double cx = (x + 0.5) * sx - 0.5;
  const double cy = (y + 0.5) * sy - 0.5;
  double sum = 0, weights = 0;
  for (int v = 0; v < source.height(); ++v) {
    const double wy = lanczos((v - cy) / std::max(sy, 1.0));
    if (wy == 0) continue;
    for (int u = 0; u < source.width(); ++u) {
      const double w = wy * lanczos((u - cx) / std::max(sx, 1.0));
      sum += w * ((source.getPixel(u, v) >> channel) & 0xFF);
      weights += w;
    }
  }
  return std::clamp(sum / weights, 0.0, 255.0);
}

PixelSurface smooth(const PixelSurface& source, int tw, int th, Turn turn = Turn::None) {
  PixelSurface result = PixelSurface::create(tw, th);
  const bool turned = turn != Turn::None;
  const double sx = double(source.width()) / (turned ? th : tw);
  const double sy = double(source.height()) / (turned ? tw : th);
  smoothResample(source, result, {turn, {sx, sy}});
  return result;
}

// The picture turned a quarter clockwise: its top-left corner at the top right.
PixelSurface turnedClockwise(const PixelSurface& p) {
  PixelSurface turned = PixelSurface::create(p.height(), p.width());
  for (int y = 0; y < turned.height(); ++y) {
    for (int x = 0; x < turned.width(); ++x)
      turned.setPixel(x, y, p.getPixel(y, p.height() - 1 - x));
  }
  return turned;
}

void expectNear(const PixelSurface& actual, const PixelSurface& source, double tolerance) {
  for (int y = 0; y < actual.height(); ++y) {
    for (int x = 0; x < actual.width(); ++x) {
      for (int channel : {0, 8, 16}) {
        const double want = reference(source, actual.width(), actual.height(), x, y, channel);
        ASSERT_NEAR((actual.getPixel(x, y) >> channel) & 0xFF, want, tolerance)
            << "at " << x << ", " << y;
      }
    }
  }
}

TEST(SmoothScaling, AConstantPictureStaysConstantStraightAndTurned) {
  const ColorRef colour = makeColor(201, 7, 255);
  for (const Turn turn : {Turn::None, Turn::Left, Turn::Right}) {
    const PixelSurface result = smooth(filled(613, 457, colour), 17, 23, turn);
    for (int y = 0; y < result.height(); ++y) {
      for (int x = 0; x < result.width(); ++x) ASSERT_EQ(result.getPixel(x, y), colour);
    }
  }
}

TEST(SmoothScaling, TwoHalvesMeetInACleanEdgeWhereTheGeometryPutsIt) {
  // 4:1 across, 3.5:1 down: the halves meet between target columns 9 and 10.
  PixelSurface halves = filled(80, 70, White);
  for (int y = 0; y < 70; ++y) {
    for (int x = 0; x < 40; ++x) halves.setPixel(x, y, 0);
  }
  const PixelSurface result = smooth(halves, 20, 20);
  expectNear(result, halves, 1.0);
  for (int y = 0; y < 20; ++y) {
    // Lanczos-3 rings only within its reach: three source steps each side.
    for (int x : {0, 1, 2, 3, 4, 5, 6}) EXPECT_EQ(result.getPixel(x, y), 0u);
    for (int x : {13, 14, 15, 16, 17, 18, 19}) EXPECT_EQ(result.getPixel(x, y), White);
    EXPECT_LT(redOf(result.getPixel(9, y)), 128);
    EXPECT_GT(redOf(result.getPixel(10, y)), 128);
    EXPECT_EQ(redOf(result.getPixel(9, y)) + redOf(result.getPixel(10, y)), 255);
  }
}

TEST(SmoothScaling, DetailReducesAsTheDirectConvolutionDoes) {
  // Fine texture, a non-integral ratio and a picture only a little larger.
  expectNear(smooth(patterned(333, 101), 40, 29), patterned(333, 101), 1.0);
  expectNear(smooth(patterned(61, 45), 50, 40), patterned(61, 45), 1.0);
}

TEST(SmoothScaling, StraightAndTurnedGiveEachOthersTurnedPicture) {
  const PixelSurface picture = patterned(301, 207);
  const PixelSurface clockwise = turnedClockwise(picture);
  // Clockwise once is counter-clockwise three times.
  const PixelSurface counter = turnedClockwise(turnedClockwise(clockwise));
  const auto same = [](const PixelSurface& a, const PixelSurface& b) {
    for (int y = 0; y < a.height(); ++y) {
      for (int x = 0; x < a.width(); ++x) ASSERT_EQ(a.getPixel(x, y), b.getPixel(x, y));
    }
  };
  same(smooth(picture, 47, 61, Turn::Right), smooth(clockwise, 47, 61));
  same(smooth(picture, 47, 61, Turn::Left), smooth(counter, 47, 61));
}

TEST(SmoothScaling, DecodesAtTheSmallestScaleLeavingTwiceTheOutput) {
  // 2 x 176 = 352 at 1/8 needs 2809 (ceil 2809 / 8 = 352), 2808 gives 351;
  // 2 x 220 = 440 needs 3513.
  EXPECT_EQ(smoothDecodeDenominator(2809, 3513, 176, 220), 8);
  EXPECT_EQ(smoothDecodeDenominator(2808, 3513, 176, 220), 4);
  EXPECT_EQ(smoothDecodeDenominator(2809, 3512, 176, 220), 4);
  // Exactly twice at half scale, and just below; below twice at full size
  // the photo is decoded whole.
  EXPECT_EQ(smoothDecodeDenominator(704, 880, 176, 220), 2);
  EXPECT_EQ(smoothDecodeDenominator(702, 880, 176, 220), 1);
  EXPECT_EQ(smoothDecodeDenominator(351, 440, 176, 220), 1);
  // libjpeg's scaled sizes are those counted: rounded up.
  const auto bytes = testpics::makeJpeg(2809, 17);
  for (const int denominator : {2, 4, 8}) {
    testpics::decompressJpeg(bytes, [&](jpeg_decompress_struct& info) {
      info.scale_num = 1;
      info.scale_denom = unsigned(denominator);
      jpeg_calc_output_dimensions(&info);
      EXPECT_EQ(info.output_width, scaledJpegSize(2809, denominator));
      EXPECT_EQ(info.output_height, scaledJpegSize(17, denominator));
    });
  }
}

TEST(SmoothScaling, ARunReducesTheQuarterScaleDecodeAndIsTheSameAtEveryJobsCount) {
  enginetest::Batch batch;
  batch.settings = target(44, 32);
  batch.settings.outputPath = batch.output("x");
  batch.settings.saveFormat = SaveFormat::Bmp;
  batch.settings.mode = Mode::ResizeAll;
  batch.settings.smoothScaling = true;
  const auto bytes = testpics::makeJpeg(360, 260);
  batch.addFile("a.jpg", bytes);
  batch.addFile("b.jpg", bytes);
  batch.run();
  const PixelSurface written = enginetest::readBmp(batch.output("a.bmp"));
  // 360 x 260 at 1/4 is 90 x 65, at least twice 44 x 32.
  const PixelSurface quarter = testpics::referenceDecode(bytes, 4);
  ASSERT_EQ(quarter.width(), 90);
  expectNear(written, quarter, 1.0);
  for (const int jobs : {2, 3}) {
    enginetest::Batch ahead;
    ahead.settings = batch.settings;
    ahead.settings.outputPath = ahead.output("x");
    ahead.settings.files.clear();
    ahead.settings.jobs = jobs;
    ahead.addFile("a.jpg", bytes);
    ahead.addFile("b.jpg", bytes);
    ahead.run();
    for (const char* name : {"a.bmp", "b.bmp"}) {
      EXPECT_EQ(testpics::readFile(ahead.output(name)), testpics::readFile(batch.output(name)));
    }
  }
}

}  // namespace

// The scaled decode counts the photo at its scaled size and the filter's
// sums: 90 x 65 pixels and 44 x 32 places of three 8-byte sums.
TEST(SmoothScaling, TheMemoryLimitCountsWhatTheScaledDecodeHolds) {
  const std::uint64_t holds = 90 * 65 * 4 + SmoothSampler::workingBytes(44, 32);
  for (const bool smooth : {true, false}) {
    for (const std::uint64_t limit : {holds, holds - 1}) {
      enginetest::Batch batch;
      batch.settings = target(44, 32);
      batch.settings.outputPath = batch.output("x");
      batch.settings.mode = Mode::ResizeAll;
      batch.settings.smoothScaling = smooth;
      batch.addFile("a.jpg", testpics::makeJpeg(360, 260));
      setSurfaceMemoryLimit(limit);
      const std::string message = batch.runMessage();
      setSurfaceMemoryLimit(0);
      // Without smoothing the whole photo is counted, and never fits.
      EXPECT_EQ(message, smooth && limit == holds ? "(no error)" : "Out of system resources")
          << smooth << " " << limit;
    }
  }
}
