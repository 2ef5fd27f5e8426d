#include "engine/Modes.h"

#include <optional>
#include <utility>

#include "engine/AntiAlias.h"
#include "engine/CropCommit.h"
#include "engine/OutputWriter.h"
#include "engine/RunSkeleton.h"
#include "engine/Scaling.h"
#include "engine/SmoothScaling.h"
#include "image/ColourProfile.h"
#include "image/ExifOrientation.h"

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

// A picture whose only outcome is its report line, decoded row by row to its
// end so that damaged data fail at this photo as its whole decode does; the
// empty surface says nothing of it is kept.
PixelSurface decodedForTheReport(const JpegObject& jpeg) {
  jpeg.scanRows([](std::int32_t, const ColorRef*) {});
  return PixelSurface();
}

// The picture reduced smoothly onto a fresh target as its JPEG bytes decode,
// at the smallest libjpeg scale that leaves it twice the target's size; none
// where TI has no pixels to fill.
std::optional<PixelSurface> smoothedWhileDecoding(const JobSettings& settings,
                                                  const JpegObject& jpeg,
                                                  const Placement& placement) {
  const std::int32_t tw = settings.targetWidth;
  const std::int32_t th = settings.targetHeight;
  if (tw <= 0 || th <= 0) return std::nullopt;
  const auto width = std::int32_t(jpeg.headerWidth());
  const auto height = std::int32_t(jpeg.headerHeight());
  const bool turned = placement.turn != Turn::None;
  const int denominator =
      smoothDecodeDenominator(width, height, turned ? th : tw, turned ? tw : th);
  PixelSurface target = PixelSurface::create(tw, th);
  const Placement scaled{
      placement.turn, {placement.steps.stepX / denominator, placement.steps.stepY / denominator}};
  SmoothSampler sampler(target, std::int32_t(scaledJpegSize(width, denominator)),
                        std::int32_t(scaledJpegSize(height, denominator)), scaled);
  jpeg.scanScaledRows([&](std::int32_t y, const ColorRef* row) { sampler.takeRow(y, row); },
                      denominator, SmoothSampler::workingBytes(tw, th));
  sampler.finish();
  return target;
}

// Writes TI as the output of name; the record takes the file with outcome.
void writeAndRecord(ModeRun& run, const std::string& name, FileOutcome outcome) {
  const WrittenOutput written =
      writeOutput(run.settings, name, run.pictures.TI, run.runJpeg, run.listed);
  run.record.finish(outcome, {}, written.path, written.photoTrashed);
}

void passAndWrite(ModeRun& run, const std::string& name) {
  antiAliasPass(run.settings.antiAlias, run.pictures.TI);
  writeAndRecord(run, name, FileOutcome::Written);
}

// Fills TI from PI as placed, then the pass and the output.
void scaleAndWrite(ModeRun& run, const std::string& name, const Placement& placement) {
  PictureRole& TI = run.pictures.TI;
  // A target without pixels has no position to visit.
  if (TI.width() > 0 && TI.height() > 0) {
    if (run.settings.smoothScaling) {
      smoothResample(run.pictures.PI.surface(), TI.surface(), placement);
    } else {
      resample(run.pictures.PI.surface(), TI.surface(), placement);
    }
  }
  passAndWrite(run, name);
}

// TI takes the picture as it was scaled while it decoded, then as above.
void writeScaled(ModeRun& run, const std::string& name) {
  run.pictures.TI.setSurface(*run.scaled);
  passAndWrite(run, name);
}

// The frame remembered for the picture in PI, where one stands on it.
std::optional<FramedPart> rememberedFrame(ModeRun& run) {
  if (!run.frames.inUse()) return std::nullopt;
  const PixelSurface& picture = run.pictures.PI.surface();
  return run.frames.recall(currentFrameKey(run), picture.width(), picture.height());
}

// The crop editor decides and the run commits "OK/NEXT" from PI into TI;
// nothing is written or reported for a skipped picture. The editor comes up
// with the picture's remembered frame, and the frame committed is remembered.
// Deliberate: the pass runs on TI whatever the user did, so after "SKIP" it
// softens the previous result once more.
void editAndWrite(ModeRun& run, const std::string& name) {
  if (run.shown) run.frontEnd.showReady(*run.shown);
  PixelSurface& picture = run.pictures.PI.surface();
  const CropDecision decision =
      run.frontEnd.editPicture(picture, run.settings, name, rememberedFrame(run));
  // The picture the user stopped the run at is left as it is.
  if (run.frontEnd.stopAsked()) return;
  if (!decision.skipped) {
    commitCrop(picture, decision.part, run.settings, run.pictures.TI);
    if (run.frames.inUse()) {
      run.frames.remember(currentFrameKey(run), decision.part, picture.width(), picture.height());
    }
  }
  antiAliasPass(run.settings.antiAlias, run.pictures.TI);
  if (decision.skipped) {
    run.record.finish(FileOutcome::SkippedByUser);
  } else {
    writeAndRecord(run, name, FileOutcome::Edited);
  }
}

// The picture committed with its remembered frame, as "OK/NEXT" on that
// frame commits it, and written; false where it has none.
bool commitRemembered(ModeRun& run, const std::string& name) {
  const std::optional<FramedPart> frame = rememberedFrame(run);
  if (!frame) return false;
  commitCrop(run.pictures.PI.surface(), *frame, run.settings, run.pictures.TI);
  antiAliasPass(run.settings.antiAlias, run.pictures.TI);
  writeAndRecord(run, name, FileOutcome::Remembered);
  return true;
}

void reportWrongAspect(ModeRun& run, const std::string& name) {
  report(run, FileOutcome::WrongAspectRatio,
         quotedName(name) + " was not resized, reason: wrong aspect ratio!");
}

void keenWork(ModeRun& run, const std::string& name) {
  if (run.scaled) {
    return run.scaled->empty() ? reportWrongAspect(run, name) : writeScaled(run, name);
  }
  const PixelSurface& picture = run.pictures.PI.surface();
  const Decision decision = decide(run.settings, picture.width(), picture.height());
  if (commitsRemembered(run.settings, decision) && commitRemembered(run, name)) return;
  switch (decision.handling) {
    case Handling::Scale:
      return scaleAndWrite(run, name, decision.placement);
    case Handling::Edit:
      return editAndWrite(run, name);
    case Handling::Report:
      return reportWrongAspect(run, name);
  }
}

// Every picture to the crop editor; where only remembered frames edit, each
// is committed with its frame or reported for having none.
void editAllWork(ModeRun& run, const std::string& name) {
  if (run.settings.rememberFrames != FrameMemory::Commit) return editAndWrite(run, name);
  if (commitRemembered(run, name)) return;
  report(run, FileOutcome::NoRememberedFrame,
         quotedName(name) + " was not resized, reason: no remembered frame!");
}

void resizeAllWork(ModeRun& run, const std::string& name) {
  if (run.scaled) return writeScaled(run, name);
  const PixelSurface& picture = run.pictures.PI.surface();
  scaleAndWrite(run, name, decide(run.settings, picture.width(), picture.height()).placement);
}

// The one place that decides how a photo's pixels are got, from its JPEG
// header: a photo the run scales, standing as stored, is scaled row by row
// as it decodes; one only reported is decoded row by row and kept nowhere;
// every other is decoded whole: one for the crop editor, one the run first
// turns upright, and one it turns into sRGB.
std::optional<PixelSurface> scaleAsItDecodes(const JobSettings& settings, const JpegObject& jpeg) {
  const int orientation = appliedOrientation(settings, jpeg);
  std::int32_t width = std::int32_t(jpeg.headerWidth());
  std::int32_t height = std::int32_t(jpeg.headerHeight());
  if (swapsSides(orientation)) std::swap(width, height);
  const Decision decision = decide(settings, width, height);
  // Where remembered frames are committed, a photo otherwise reported may
  // have one: it is decoded whole, as for the crop editor.
  if (decision.handling == Handling::Report && !commitsRemembered(settings, decision)) {
    return decodedForTheReport(jpeg);
  }
  if (orientation != 1 || decision.handling != Handling::Scale) return std::nullopt;
  // A photo to turn into sRGB is converted whole before anything samples it.
  if (settings.toSrgb && !jpegIccProfile(jpeg.bytes()).empty()) return std::nullopt;
  if (settings.smoothScaling) return smoothedWhileDecoding(settings, jpeg, decision.placement);
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
  runFiles(settings, frontEnd, pictures, record, editAllWork, {});
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
