// The decoder of sampled pixels against libjpeg's own whole decode, at every
// sampled pixel, over every kind of colour photo it takes; and the photos it
// must leave to the whole decode.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "bench/SampledDecode.h"
#include "engine/Arithmetic.h"
#include "image/JpegObject.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/Errors.h"
#include "tests/support/ReferenceDecode.h"
#include "tests/support/TestPictures.h"

namespace {

using batchfit::ColorRef;
using batchfit::SamplePoints;
using Bytes = std::vector<std::uint8_t>;

enum class Scans { Interleaved, Progressive, OnePerComponent };

struct Kind {
  int h, v;  // luma sampling factors; chroma is 1 x 1
  Scans scans;
  int quality;
  bool baselineTables = true;  // 8-bit quantizers; otherwise up to 32767
  int restartRows = 0;
};

std::string describe(const Kind& k, int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height) + " luma " + std::to_string(k.h) +
         "x" + std::to_string(k.v) + " scans " + std::to_string(int(k.scans)) + " q" +
         std::to_string(k.quality) + (k.baselineTables ? "" : " 16-bit") +
         (k.restartRows ? " restarts" : "");
}

Bytes colourJpeg(int width, int height, const Kind& kind,
                 const std::function<void(jpeg_compress_struct&)>& more = {}) {
  return testpics::makeColourJpeg(width, height, testpics::busy, [&](jpeg_compress_struct& c) {
    c.err->trace_level = -1;  // no note about 16-bit quantizers
    c.comp_info[0].h_samp_factor = kind.h;
    c.comp_info[0].v_samp_factor = kind.v;
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, kind.quality, kind.baselineTables ? TRUE : FALSE);
    c.restart_in_rows = kind.restartRows;
    if (kind.scans == Scans::Progressive) jpeg_simple_progression(&c);
    if (kind.scans == Scans::OnePerComponent) {
      static jpeg_scan_info script[3];
      for (int ci = 0; ci < 3; ++ci) script[ci] = {1, {ci}, 0, 63, 0, 0};
      c.scan_info = script;
      c.num_scans = 3;
    }
    if (more) more(c);
  });
}

// The picture rows or columns that a target of `target` samples, as the
// run's nearest-neighbour scaling reads them.
std::vector<std::int32_t> runSamples(int size, int target) {
  const double step = batchfit::storedRatio(size, target);
  std::vector<std::int32_t> samples;
  for (int i = 0; i < target; ++i) {
    const std::int64_t s = batchfit::roundSample(i, step);
    if (s < size && (samples.empty() || s != samples.back())) samples.push_back(std::int32_t(s));
  }
  return samples;
}

SamplePoints everyPixel(int width, int height) {
  return {runSamples(height, height), runSamples(width, width)};
}

// Decodes sampled and compares every sampled pixel with the whole decode.
void expectSameAsWhole(const Bytes& jpeg, const SamplePoints& points, const std::string& what,
                       batchfit::SampledDecodeUse use = batchfit::SampledDecodeUse::Always) {
  const batchfit::PixelSurface whole = testpics::referenceDecode(jpeg);
  std::size_t rowsSeen = 0;
  int mismatches = 0;
  const auto take = [&](std::int32_t y, const ColorRef* row) {
    ASSERT_LT(rowsSeen, points.rows.size());
    EXPECT_EQ(y, points.rows[rowsSeen++]);
    for (const std::int32_t x : points.columns) {
      if (row[x] != whole.getPixel(x, y) && mismatches++ < 3) {
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") " << std::hex << row[x]
                      << " != " << whole.getPixel(x, y);
      }
    }
  };
  const bool done = batchfit::decodeSampled(jpeg, points, take, use);
  ASSERT_TRUE(done) << what;
  EXPECT_EQ(rowsSeen, points.rows.size()) << what;
  EXPECT_EQ(mismatches, 0) << what;
}

TEST(SampledDecode, EveryColourKindEqualsTheWholeDecode) {
  const std::vector<Kind> kinds = {
      {2, 2, Scans::Interleaved, 95},           {2, 2, Scans::Progressive, 75},
      {2, 1, Scans::Interleaved, 90},           {2, 1, Scans::Progressive, 100},
      {1, 2, Scans::Interleaved, 85},           {1, 2, Scans::Progressive, 60},
      {1, 1, Scans::Interleaved, 100},          {1, 1, Scans::Progressive, 50},
      {2, 2, Scans::Interleaved, 1, false},     {2, 1, Scans::Progressive, 3, false},
      {2, 2, Scans::Interleaved, 80, true, 1},  {1, 2, Scans::Progressive, 92, true, 2},
      {2, 2, Scans::OnePerComponent, 70, true}, {1, 1, Scans::OnePerComponent, 97, true, 1}};
  // Edges of one pixel, of a block, of an MCU and of an odd size.
  const std::vector<std::pair<int, int>> sizes = {{1, 1}, {1, 9},  {9, 1},  {2, 2},   {3, 5},
                                                  {8, 8}, {16, 8}, {17, 9}, {33, 31}, {64, 48}};
  for (const Kind& kind : kinds) {
    for (const auto& [w, h] : sizes) {
      expectSameAsWhole(colourJpeg(w, h, kind), everyPixel(w, h), describe(kind, w, h));
    }
    const Bytes photo = colourJpeg(531, 389, kind);
    const std::string what = describe(kind, 531, 389);
    expectSameAsWhole(photo, {runSamples(389, 220), runSamples(531, 176)}, what);
    expectSameAsWhole(photo, {runSamples(389, 176), runSamples(531, 220)}, what + " turned");
    // So sparse a sampling is decoded sampled wherever it pays.
    expectSameAsWhole(photo, {runSamples(389, 3), runSamples(531, 2)}, what + " small",
                      batchfit::SampledDecodeUse::WhenFaster);
  }
}

TEST(SampledDecode, LeavesWhatItDoesNotCoverToTheWholeDecode) {
  const Kind plain{2, 2, Scans::Interleaved, 90};
  // A progressive photo without its refinement scans: libjpeg smooths its blocks.
  const auto unrefined = [](jpeg_compress_struct& c) {
    jpeg_simple_progression(&c);
    c.num_scans = 6;
  };
  const std::vector<std::pair<std::string, Bytes>> photos = {
      {"gray", testpics::makeJpeg(40, 30, testpics::JpegKind::Gray)},
      {"cmyk", testpics::makeJpeg(40, 30, testpics::JpegKind::Cmyk)},
      {"rgb", colourJpeg(40, 30, plain, [](auto& c) { jpeg_set_colorspace(&c, JCS_RGB); })},
      {"arithmetic", colourJpeg(40, 30, plain, [](auto& c) { c.arith_code = TRUE; })},
      {"4:1:1", colourJpeg(40, 30, {4, 1, Scans::Interleaved, 90})},
      {"unrefined", colourJpeg(40, 30, plain, unrefined)},
      {"cut short", crafted::cutTo(colourJpeg(40, 30, plain), 70)},
      {"progressive cut short",
       crafted::cutTo(colourJpeg(40, 30, {2, 2, Scans::Progressive, 90}), 90)},
      {"no JPEG", crafted::makeBmp(40, 30)},
      {"empty", {}}};
  for (const auto& [what, bytes] : photos) {
    const bool done = batchfit::decodeSampled(
        bytes, everyPixel(40, 30), [&](auto, auto) { ADD_FAILURE() << what << " handed a row"; });
    EXPECT_FALSE(done) << what;
  }
  const Bytes photo = colourJpeg(40, 30, plain);
  const auto expectRefused = [&](const SamplePoints& points) {
    EXPECT_FALSE(batchfit::decodeSampled(
        photo, points, [](auto, auto) { ADD_FAILURE(); }, batchfit::SampledDecodeUse::Always));
  };
  expectRefused({{0, 30}, {0}});
  expectRefused({{0}, {40}});
  expectRefused({{5, 5}, {0}});
  expectRefused({{0}, {3, 2}});
}

// Near the memory limit, what the sampled decode reads must fit the whole
// decode too, which holds rows of every component besides the coefficients.
TEST(SampledDecode, TakesNoPhotoWhoseWholeDecodeRunsOutOfMemory) {
  const Bytes photo = colourJpeg(256, 256, {1, 1, Scans::Progressive, 90});
  const SamplePoints points = everyPixel(256, 256);
  const auto sampled = [&](std::uint64_t limit) {
    batchfit::setSurfaceMemoryLimit(limit);
    return batchfit::decodeSampled(
        photo, points, [](auto, auto) {}, batchfit::SampledDecodeUse::Always);
  };
  int wholeFailed = 0;
  for (std::uint64_t limit = 380'000; limit < 520'000; limit += 2'000) {
    batchfit::setSurfaceMemoryLimit(limit);
    batchfit::JpegObject jpeg;
    jpeg.loadBytes(photo);
    batchfit::PictureRole role;
    if (testpics::messageOf([&] { jpeg.decodeTo(role); }) == "(no error)") continue;
    ++wholeFailed;
    EXPECT_FALSE(sampled(limit)) << limit;
  }
  EXPECT_GT(wholeFailed, 0);
  EXPECT_TRUE(sampled(8u << 20));
  batchfit::setSurfaceMemoryLimit(0);
}

TEST(SampledDecode, StartUpCheckPassesHereAndFailsOnLibjpegsCCode) {
  EXPECT_TRUE(batchfit::sampledDecodeAvailable());
  // libjpeg-turbo chooses its SIMD code once per thread, from the environment.
  bool matchesCCode = true;
  std::thread plain([&] {
    setenv("JSIMD_FORCENONE", "1", 1);
    matchesCCode = batchfit::sampledDecodeMatchesLibjpeg();
    unsetenv("JSIMD_FORCENONE");
  });
  plain.join();
  EXPECT_FALSE(matchesCCode);
  EXPECT_TRUE(batchfit::sampledDecodeMatchesLibjpeg());
}

}  // namespace
