// Fuzz target: the resize-all work on one input, as the run does it for a
// picture that passed the size test: decode, sample (straight or turned),
// anti-alias, and encode the result in memory; and the same sampling made
// row by row while decoding, as a worker does, must match it, and so must the
// sampled decode, wherever it takes the file (and then the whole decode must
// succeed too). The first four bytes choose the settings, the rest is the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/AntiAlias.h"
#include "engine/Arithmetic.h"
#include "engine/JobSettings.h"
#include "engine/Run.h"
#include "engine/Scaling.h"
#include "fuzz/FuzzCheck.h"
#include "image/BmpFile.h"
#include "image/Error.h"
#include "image/JpegObject.h"
#include "image/PixelSurface.h"
#include "bench/SampledDecode.h"
#include "tests/support/WholeSampling.h"

namespace {

using namespace batchfit;

constexpr std::size_t SettingsBytes = 4;

// Small targets (zero and negative ones included) keep each input fast.
JobSettings settingsFrom(const std::uint8_t* data) {
  static const char* const directions[] = {"Left", "Right", "right", ""};
  JobSettings s;
  s.mode = Mode::ResizeAll;
  s.targetWidth = data[0] % 96 - 8;
  s.targetHeight = data[1] % 96 - 8;
  s.autoRotate = data[2] & 1;
  s.rotateDirection = directionNamed(directions[(data[2] >> 1) & 3]);
  s.antiAlias = data[2] & 8;
  s.saveFormat = saveFormatAt((data[2] >> 4) & 1);
  s.jpegQuality = data[3] % 101;
  return s;
}

// The size test on the declared size, straight or turned as the run places it.
bool largeEnough(const JobSettings& s, std::int32_t width, std::int32_t height) {
  if (placementTurn(s, width, height) != Turn::None) {
    return s.targetHeight <= width && s.targetWidth <= height;
  }
  return s.targetWidth <= width && s.targetHeight <= height;
}

// A worker's sampling: from the rows of a fresh decode, never the whole picture.
PixelSurface sampledWhileDecoding(const JobSettings& s, const JpegObject& jpeg,
                                  const Placement& placement) {
  PixelSurface target = PixelSurface::create(s.targetWidth, s.targetHeight);
  RowSampler sampler(target, std::int32_t(jpeg.headerWidth()), std::int32_t(jpeg.headerHeight()),
                     placement);
  jpeg.scanRows([&](std::int32_t y, const ColorRef* row) { sampler.takeRow(y, row); });
  return target;
}

// The picture's rows or columns that count places N(i * step) sample.
std::vector<std::int32_t> sampled(std::int32_t count, double step, std::int32_t size) {
  std::vector<std::int32_t> indices;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int64_t index = roundSample(i, step);
    if (index >= 0 && index < size) indices.push_back(std::int32_t(index));
  }
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
}

// The sampling of the sampled decode, where it takes the file: the worker's
// sampler fed only the rows sampled, in which only the sampled columns are set.
std::optional<PixelSurface> sampledDecoding(const JobSettings& s, const JpegObject& jpeg,
                                            const Placement& placement) {
  if (s.targetWidth <= 0 || s.targetHeight <= 0) return std::nullopt;
  const auto width = std::int32_t(jpeg.headerWidth()), height = std::int32_t(jpeg.headerHeight());
  const bool turned = placement.turn != Turn::None;
  const std::int32_t along = turned ? s.targetHeight : s.targetWidth;
  const std::int32_t across = turned ? s.targetWidth : s.targetHeight;
  const SamplePoints points{sampled(across, placement.steps.stepY, height),
                            sampled(along, placement.steps.stepX, width)};
  PixelSurface target = PixelSurface::create(s.targetWidth, s.targetHeight);
  RowSampler sampler(target, width, height, placement);
  const auto take = [&](std::int32_t y, const ColorRef* row) { sampler.takeRow(y, row); };
  if (!decodeSampled(jpeg.bytes(), points, take, SampledDecodeUse::Always)) return std::nullopt;
  return target;
}

Placement placementOf(const JobSettings& s, std::int32_t width, std::int32_t height) {
  const Turn turn = placementTurn(s, width, height);
  return {turn,
          turn != Turn::None ? turnedFactors(s, width, height) : straightFactors(s, width, height)};
}

void resample(const JobSettings& s, WorkPictures& pictures, const JpegObject& jpeg,
              const std::optional<PixelSurface>& bySamples) {
  const PixelSurface& source = pictures.PI.surface();
  const auto [turn, steps] = placementOf(s, source.width(), source.height());
  if (pictures.TI.width() <= 0 || pictures.TI.height() <= 0) return;
  PixelSurface& target = pictures.TI.surface();
  if (turn != Turn::None) {
    testpics::resampleTurned(source, target, steps, turn);
  } else {
    testpics::resampleStraight(source, target, steps);
  }
  const PixelSurface byRows = sampledWhileDecoding(s, jpeg, {turn, steps});
  for (std::int32_t y = 0; y < target.height(); ++y) {
    for (std::int32_t x = 0; x < target.width(); ++x) {
      FUZZ_CHECK(byRows.getPixel(x, y) == target.getPixel(x, y));
      FUZZ_CHECK(!bySamples || bySamples->getPixel(x, y) == target.getPixel(x, y));
    }
  }
}

// The output in memory; a JPEG must read back at the target's size.
void encode(const JobSettings& s, PictureRole& TI, JpegObject& jpeg) {
  const PixelSurface& target = TI.surface();
  if (s.saveFormat == SaveFormat::Bmp) {
    const std::vector<std::uint8_t> bmp = encodeBmp(target);
    FUZZ_CHECK(
        bmp.size() ==
        (target.empty() ? 0 : 54 + 4 * std::size_t(target.width()) * std::size_t(target.height())));
    return;
  }
  jpeg.assignSurface(target);
  jpeg.setQualityValue(std::uint8_t(s.jpegQuality));
  jpeg.compress();
  FUZZ_CHECK(jpeg.bytes().empty() == target.empty());
  if (target.empty()) return;
  JpegObject reader;
  reader.loadBytes(jpeg.bytes());
  PictureRole back;
  reader.decodeTo(back);
  FUZZ_CHECK(back.width() == target.width() && back.height() == target.height());
}

void resizeOne(const JobSettings& s, std::vector<std::uint8_t> file) {
  WorkPictures pictures;
  prepareTarget(s, pictures.TI);
  JpegObject jpeg;
  jpeg.loadBytes(std::move(file));
  if (!largeEnough(s, std::int32_t(jpeg.headerWidth()), std::int32_t(jpeg.headerHeight()))) {
    return;
  }
  const auto width = std::int32_t(jpeg.headerWidth()), height = std::int32_t(jpeg.headerHeight());
  const std::optional<PixelSurface> bySamples =
      sampledDecoding(s, jpeg, placementOf(s, width, height));
  try {
    jpeg.decodeTo(pictures.PI);
  } catch (const Error& e) {
    // Only the size test, which is the caller's, may stop what it took.
    FUZZ_CHECK(!bySamples || std::string(e.what()) == "Out of system resources");
    throw;
  }
  resample(s, pictures, jpeg, bySamples);
  antiAliasPass(s.antiAlias, pictures.TI);
  encode(s, pictures.TI, jpeg);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setSurfaceMemoryLimit(64u << 20);
  // Otherwise the sampled decode would take no file, and go unchecked.
  FUZZ_CHECK(sampledDecodeAvailable());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < SettingsBytes) return 0;
  try {
    resizeOne(settingsFrom(data), std::vector<std::uint8_t>(data + SettingsBytes, data + size));
  } catch (const Error&) {
    // One of the run's messages: the run would end here with it shown.
  }
  return 0;
}
