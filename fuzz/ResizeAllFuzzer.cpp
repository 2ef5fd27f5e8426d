// Fuzz target: the resize-all work on one input, as the run does it for a
// picture that passed the size test: decode, sample (straight or turned),
// anti-alias, and encode the result in memory; and the same sampling made
// row by row while decoding, as a worker does, must match it. The first four
// bytes choose the settings, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/AntiAlias.h"
#include "engine/JobSettings.h"
#include "engine/Run.h"
#include "engine/Scaling.h"
#include "fuzz/FuzzCheck.h"
#include "image/BmpFile.h"
#include "image/Error.h"
#include "image/JpegObject.h"
#include "image/PixelSurface.h"
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

void resample(const JobSettings& s, WorkPictures& pictures, const JpegObject& jpeg) {
  const PixelSurface& source = pictures.PI.surface();
  const Turn turn = placementTurn(s, source.width(), source.height());
  const ScaleFactors steps = turn != Turn::None
                                 ? turnedFactors(s, source.width(), source.height())
                                 : straightFactors(s, source.width(), source.height());
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
  jpeg.decodeTo(pictures.PI);
  resample(s, pictures, jpeg);
  antiAliasPass(s.antiAlias, pictures.TI);
  encode(s, pictures.TI, jpeg);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setSurfaceMemoryLimit(64u << 20);
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
