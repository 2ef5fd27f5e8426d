#include "engine/Modes.h"

#include <optional>

#include "engine/AntiAlias.h"
#include "engine/OutputWriter.h"
#include "engine/RunSkeleton.h"
#include "engine/Scaling.h"

namespace batchfit {

namespace {

ScaleFactors factorsFor(const JobSettings& settings, std::int32_t width, std::int32_t height,
                        Turn turn) {
  return turn != Turn::None ? turnedFactors(settings, width, height)
                            : straightFactors(settings, width, height);
}

Placement resizeAllPlacement(const JobSettings& settings, std::int32_t width, std::int32_t height) {
  const Turn turn = placementTurn(settings, width, height);
  return {turn, factorsFor(settings, width, height, turn)};
}

// The placement of a picture whose aspect ratio fits, or none.
// Deliberate: with autoRotate on the factors come before the aspect test (so
// a target size of 0 fails for every picture); with it off only a match
// computes them. One test only, in the placement the picture would be scaled
// in: a picture that fails it is never tried the other way.
std::optional<Placement> keenPlacement(const JobSettings& settings, std::int32_t width,
                                       std::int32_t height) {
  const Turn turn = placementTurn(settings, width, height);
  ScaleFactors steps;
  if (settings.autoRotate) steps = factorsFor(settings, width, height, turn);
  if (!aspectMatches(settings, width, height, turn != Turn::None)) return std::nullopt;
  if (!settings.autoRotate) steps = factorsFor(settings, width, height, Turn::None);
  return Placement{turn, steps};
}

// The picture scaled row by row as its JPEG bytes decode, onto a fresh
// target, as the run would fill TI from the whole decoded picture; none
// without a placement or where TI has no pixels to fill. Rows that no
// target pixel samples need not be decoded.
std::optional<PixelSurface> scaledWhileDecoding(const JobSettings& settings, const JpegObject& jpeg,
                                                const std::optional<Placement>& placement) {
  if (!placement || settings.targetWidth <= 0 || settings.targetHeight <= 0) return std::nullopt;
  PixelSurface target = PixelSurface::create(settings.targetWidth, settings.targetHeight);
  RowSampler sampler(target, std::int32_t(jpeg.headerWidth()), std::int32_t(jpeg.headerHeight()),
                     *placement);
  const std::vector<std::int32_t> needed = sampler.rowsNeeded();
  jpeg.scanRows([&](std::int32_t y, const ColorRef* row) { sampler.takeRow(y, row); }, &needed);
  return target;
}

void passAndWrite(ModeRun& run, const std::string& name) {
  antiAliasPass(run.settings.antiAlias, run.pictures.TI);
  run.record.finish(FileOutcome::Written, {},
                    writeOutput(run.settings, name, run.pictures.TI, run.runJpeg, run.listed));
}

// Fills TI from PI as placed, then the pass and the output.
void scaleAndWrite(ModeRun& run, const std::string& name, const Placement& placement) {
  PictureRole& TI = run.pictures.TI;
  // A target without pixels has no position to visit.
  if (TI.width() > 0 && TI.height() > 0) {
    resample(run.pictures.PI.surface(), TI.surface(), placement);
  }
  passAndWrite(run, name);
}

// TI takes the picture as it was scaled while it decoded, then as above.
void writeScaled(ModeRun& run, const std::string& name) {
  run.pictures.TI.setSurface(*run.scaled);
  passAndWrite(run, name);
}

// The crop editor decides; nothing is written or reported for a skipped picture.
// Deliberate: the pass runs on TI whatever the user did, so after "SKIP" it
// softens the previous result once more.
void editAndWrite(ModeRun& run, const std::string& name) {
  const bool skipped =
      run.frontEnd.editPicture(run.pictures.PI.surface(), run.pictures.TI, run.settings, name);
  antiAliasPass(run.settings.antiAlias, run.pictures.TI);
  if (skipped) {
    run.record.finish(FileOutcome::SkippedByUser);
  } else {
    run.record.finish(FileOutcome::Edited, {},
                      writeOutput(run.settings, name, run.pictures.TI, run.runJpeg, run.listed));
  }
}

// Scales the picture if it fits; false when it does not.
bool scaleIfMatching(ModeRun& run, const std::string& name) {
  if (run.scaled) {
    writeScaled(run, name);
    return true;
  }
  const PixelSurface& picture = run.pictures.PI.surface();
  const std::optional<Placement> placement =
      keenPlacement(run.settings, picture.width(), picture.height());
  if (placement) scaleAndWrite(run, name, *placement);
  return placement.has_value();
}

void keenWork(ModeRun& run, const std::string& name) {
  bool pictureHandled = scaleIfMatching(run, name);
  if (!pictureHandled && run.settings.mismatchAction == MismatchAction::Edit) {
    editAndWrite(run, name);
    pictureHandled = true;
  }
  if (!pictureHandled) {
    report(run, FileOutcome::WrongAspectRatio,
           quotedName(name) + " was not resized, reason: wrong aspect ratio!");
  }
}

void resizeAllWork(ModeRun& run, const std::string& name) {
  if (run.scaled) return writeScaled(run, name);
  const PixelSurface& picture = run.pictures.PI.surface();
  scaleAndWrite(run, name, resizeAllPlacement(run.settings, picture.width(), picture.height()));
}

// The JPEG header gives the size the decoded picture will have.
std::int32_t widthOf(const JpegObject& jpeg) {
  return std::int32_t(jpeg.headerWidth());
}
std::int32_t heightOf(const JpegObject& jpeg) {
  return std::int32_t(jpeg.headerHeight());
}

std::optional<PixelSurface> keenScaleWhileDecoding(const JobSettings& settings,
                                                   const JpegObject& jpeg) {
  return scaledWhileDecoding(settings, jpeg,
                             keenPlacement(settings, widthOf(jpeg), heightOf(jpeg)));
}

std::optional<PixelSurface> resizeAllScaleWhileDecoding(const JobSettings& settings,
                                                        const JpegObject& jpeg) {
  return scaledWhileDecoding(settings, jpeg,
                             resizeAllPlacement(settings, widthOf(jpeg), heightOf(jpeg)));
}

}  // namespace

void runKeenMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                 RunRecord& record, Decoding decoding) {
  runFiles(settings, frontEnd, pictures, record, keenWork,
           decoding == Decoding::ScaleWhileDecoding ? keenScaleWhileDecoding : nullptr);
}

void runEditAllMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                    RunRecord& record) {
  // Every picture goes to the crop editor: each is decoded whole.
  runFiles(settings, frontEnd, pictures, record, editAndWrite, {});
}

void runResizeAllMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                      RunRecord& record, Decoding decoding) {
  runFiles(settings, frontEnd, pictures, record, resizeAllWork,
           decoding == Decoding::ScaleWhileDecoding ? resizeAllScaleWhileDecoding : nullptr);
}

}  // namespace batchfit
