#include "Modes.h"

#include "AntiAlias.h"
#include "OutputWriter.h"
#include "RunSkeleton.h"
#include "Scaling.h"

namespace batchfit {

namespace {

// Fills TI from PI with the factors already set for this picture.
void resample(ModeRun& run, bool turned) {
  PictureRole& TI = run.pictures.TI;
  // A target without pixels has no position to visit.
  if (TI.width() <= 0 || TI.height() <= 0) return;
  const PixelSurface& source = run.pictures.PI.surface();
  if (turned) {
    resampleTurned(source, TI.surface(), run.steps, run.settings.rotateDirection);
  } else {
    resampleStraight(source, TI.surface(), run.steps);
  }
}

void scaleAndWrite(ModeRun& run, const std::string& name, bool turned) {
  resample(run, turned);
  antiAliasPass(run.settings.antiAlias, run.pictures.TI);
  writeOutput(run.settings, name, run.pictures.TI, run.runJpeg);
}

// The crop editor decides; the pass runs on TI whatever the user did, and
// nothing is written or reported for a skipped picture.
void editAndWrite(ModeRun& run, const std::string& name) {
  const bool skipped =
      run.frontEnd.editPicture(run.pictures.PI.surface(), run.pictures.TI, run.settings);
  antiAliasPass(run.settings.antiAlias, run.pictures.TI);
  if (!skipped) writeOutput(run.settings, name, run.pictures.TI, run.runJpeg);
}

// Whether the picture is scaled turned: with autoRotate on, whenever target
// and picture are not of the same orientation (square ones never are).
bool placedTurned(const JobSettings& settings, const PixelSurface& picture) {
  return settings.autoRotate && !sameOrientation(settings, picture.width(), picture.height());
}

ScaleFactors factorsFor(const JobSettings& settings, const PixelSurface& picture, bool turned) {
  return turned ? turnedFactors(settings, picture.width(), picture.height())
                : straightFactors(settings, picture.width(), picture.height());
}

// Scales the picture if it fits; false when it does not. With autoRotate on
// the factors come before the one aspect test (so a target size of 0 fails
// for every picture); with it off only a match computes them.
bool scaleIfMatching(ModeRun& run, const std::string& name) {
  const JobSettings& settings = run.settings;
  const PixelSurface& picture = run.pictures.PI.surface();
  const bool turned = placedTurned(settings, picture);
  if (settings.autoRotate) run.steps = factorsFor(settings, picture, turned);
  if (!aspectMatches(settings, picture.width(), picture.height(), turned)) return false;
  if (!settings.autoRotate) run.steps = factorsFor(settings, picture, false);
  scaleAndWrite(run, name, turned);
  return true;
}

void keenWork(ModeRun& run, const std::string& name) {
  bool pictureHandled = scaleIfMatching(run, name);
  if (!pictureHandled && run.settings.mismatchAction == 0) {
    editAndWrite(run, name);
    pictureHandled = true;
  }
  if (!pictureHandled) {
    run.skipReport.push_back(quotedName(name) + " was not resized, reason: wrong aspect ratio!");
  }
}

void resizeAllWork(ModeRun& run, const std::string& name) {
  const PixelSurface& picture = run.pictures.PI.surface();
  const bool turned = placedTurned(run.settings, picture);
  run.steps = factorsFor(run.settings, picture, turned);
  scaleAndWrite(run, name, turned);
}

}  // namespace

void runKeenMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures) {
  runFiles(settings, frontEnd, pictures, keenWork);
}

void runEditAllMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures) {
  runFiles(settings, frontEnd, pictures, editAndWrite);
}

void runResizeAllMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures) {
  runFiles(settings, frontEnd, pictures, resizeAllWork);
}

}  // namespace batchfit
