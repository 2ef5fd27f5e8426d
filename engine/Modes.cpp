#include "engine/Modes.h"

#include <optional>

#include "engine/AntiAlias.h"
#include "engine/CropCommit.h"
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
// where TI has no pixels to fill. Rows that no target pixel samples need not
// be decoded.
std::optional<PixelSurface> scaledWhileDecoding(const JobSettings& settings, const JpegObject& jpeg,
                                                const Placement& placement) {
  if (settings.targetWidth <= 0 || settings.targetHeight <= 0) return std::nullopt;
  PixelSurface target = PixelSurface::create(settings.targetWidth, settings.targetHeight);
  RowSampler sampler(target, std::int32_t(jpeg.headerWidth()), std::int32_t(jpeg.headerHeight()),
                     placement);
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

// The crop editor decides and the run commits "OK/NEXT" from PI into TI;
// nothing is written or reported for a skipped picture.
// Deliberate: the pass runs on TI whatever the user did, so after "SKIP" it
// softens the previous result once more.
void editAndWrite(ModeRun& run, const std::string& name) {
  if (run.shown) run.frontEnd.showReady(*run.shown);
  const CropDecision decision =
      run.frontEnd.editPicture(run.pictures.PI.surface(), run.settings, name);
  // The picture the user stopped the run at is left as it is.
  if (run.frontEnd.stopAsked()) return;
  if (!decision.skipped) {
    commitCrop(run.pictures.PI.surface(), decision.part, run.settings, run.pictures.TI);
  }
  antiAliasPass(run.settings.antiAlias, run.pictures.TI);
  if (decision.skipped) {
    run.record.finish(FileOutcome::SkippedByUser);
  } else {
    run.record.finish(FileOutcome::Edited, {},
                      writeOutput(run.settings, name, run.pictures.TI, run.runJpeg, run.listed));
  }
}

void keenWork(ModeRun& run, const std::string& name) {
  if (run.scaled) return writeScaled(run, name);
  const PixelSurface& picture = run.pictures.PI.surface();
  const Decision decision = decide(run.settings, picture.width(), picture.height());
  switch (decision.handling) {
    case Handling::Scale:
      return scaleAndWrite(run, name, decision.placement);
    case Handling::Edit:
      return editAndWrite(run, name);
    case Handling::Report:
      report(run, FileOutcome::WrongAspectRatio,
             quotedName(name) + " was not resized, reason: wrong aspect ratio!");
  }
}

void resizeAllWork(ModeRun& run, const std::string& name) {
  if (run.scaled) return writeScaled(run, name);
  const PixelSurface& picture = run.pictures.PI.surface();
  scaleAndWrite(run, name, decide(run.settings, picture.width(), picture.height()).placement);
}

// The one place that decides how a photo's pixels are got, from its JPEG
// header: a photo the run scales, standing as stored, is scaled row by row
// as it decodes; every other is decoded whole: one for the crop editor or
// the report, and one the run first turns upright.
std::optional<PixelSurface> scaleAsItDecodes(const JobSettings& settings, const JpegObject& jpeg) {
  if (appliedOrientation(settings, jpeg) != 1) return std::nullopt;
  const Decision decision =
      decide(settings, std::int32_t(jpeg.headerWidth()), std::int32_t(jpeg.headerHeight()));
  if (decision.handling != Handling::Scale) return std::nullopt;
  return scaledWhileDecoding(settings, jpeg, decision.placement);
}

}  // namespace

void runKeenMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                 RunRecord& record, Decoding decoding) {
  runFiles(settings, frontEnd, pictures, record, keenWork,
           decoding == Decoding::ScaleWhileDecoding ? scaleAsItDecodes : nullptr);
}

void runEditAllMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                    RunRecord& record) {
  // Every picture goes to the crop editor: each is decoded whole.
  runFiles(settings, frontEnd, pictures, record, editAndWrite, {});
}

void runResizeAllMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                      RunRecord& record, Decoding decoding) {
  runFiles(settings, frontEnd, pictures, record, resizeAllWork,
           decoding == Decoding::ScaleWhileDecoding ? scaleAsItDecodes : nullptr);
}

Decision decide(const JobSettings& settings, std::int32_t width, std::int32_t height) {
  switch (settings.mode) {
    case Mode::ResizeAll:
      return {Handling::Scale, resizeAllPlacement(settings, width, height)};
    case Mode::Keen:
      if (const std::optional<Placement> placement = keenPlacement(settings, width, height)) {
        return {Handling::Scale, *placement};
      }
      return {settings.mismatchAction == MismatchAction::Edit ? Handling::Edit : Handling::Report,
              {}};
    case Mode::EditAll:
      return {Handling::Edit, {}};
    case Mode::None:
      break;
  }
  return {};  // no run asks: without a mode it touches no photo
}

}  // namespace batchfit
