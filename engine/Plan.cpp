#include "engine/Plan.h"

#include <new>
#include <numeric>
#include <vector>

#include "engine/Modes.h"
#include "engine/RunSkeleton.h"
#include "image/Error.h"
#include "image/FileIo.h"
#include "image/JpegObject.h"
#include "image/PictureFile.h"

namespace batchfit {

namespace {

PlannedOutcome outcomeOf(const Decision& decision) {
  switch (decision.handling) {
    case Handling::Scale:
      return decision.placement.turn == Turn::None ? PlannedOutcome::Straight
                                                   : PlannedOutcome::Turned;
    case Handling::Edit:
      return PlannedOutcome::Editor;
    case Handling::Report:
      break;
  }
  return PlannedOutcome::WrongAspect;
}

PlannedOutcome plannedOutcome(const JobSettings& settings, const std::string& name,
                              RememberedFrames* frames) {
  PictureRole declared;
  if (!loadAndTestSize(name, settings, declared)) return PlannedOutcome::TooSmall;
  // A photo of another format decodes to the size its header declares.
  if (otherFormatReader(settings, name)) {
    return outcomeOf(decide(settings, declared.width(), declared.height()));
  }
  // The run reads every photo that passed as a JPEG stream, whatever its
  // extension, and decides on the size its decoding gives: the header's.
  const JpegHeader header = readJpegStreamHeader(name);
  const Picture photo = jpegPicture(header, settings.exifOrientation);
  const Decision decision = decide(settings, photo.width, photo.height);
  if (!commitsRemembered(settings, decision) || !frames) return outcomeOf(decision);
  const FrameKey key = frameKeyOf(photoDigest(readWholeFile(name)), settings,
                                  settings.exifOrientation ? header.orientation : 1);
  if (frames->recall(key, photo.width, photo.height)) return PlannedOutcome::Remembered;
  return settings.mode == Mode::EditAll ? PlannedOutcome::NoFrame : PlannedOutcome::WrongAspect;
}

bool pictureSizeZero(const JobSettings& settings) {
  return settings.targetWidth == 0 || settings.targetHeight == 0;
}

// The run stops there for the division by a picture size of 0, whatever the photo.
PlannedOutcome stoppingOutcome(const JobSettings& settings, const std::string& message) {
  const bool division =
      message == "Floating point division by zero" || message == "Invalid floating point operation";
  return division && pictureSizeZero(settings) ? PlannedOutcome::PictureSizeZero
                                               : PlannedOutcome::Unreadable;
}

// The outcomes a mode can give, in order.
std::vector<PlannedOutcome> modeOutcomes(const JobSettings& settings) {
  using enum PlannedOutcome;
  switch (settings.mode) {
    case Mode::Keen:
      if (settings.rememberFrames == FrameMemory::Commit) {
        return {Straight, Turned, Remembered, WrongAspect, TooSmall, Unreadable};
      }
      return {Straight, Turned,
              settings.mismatchAction == MismatchAction::Edit ? Editor : WrongAspect, TooSmall,
              Unreadable};
    case Mode::EditAll:
      if (settings.rememberFrames == FrameMemory::Commit) {
        return {Remembered, NoFrame, TooSmall, Unreadable};
      }
      return {Editor, TooSmall, Unreadable};
    case Mode::ResizeAll:
      return {Straight, Turned, TooSmall, Unreadable};
    case Mode::None:
      break;
  }
  return {};
}

std::vector<PlannedOutcome> outcomesOf(const JobSettings& settings) {
  std::vector<PlannedOutcome> outcomes = modeOutcomes(settings);
  if (!outcomes.empty() && pictureSizeZero(settings)) {
    outcomes.push_back(PlannedOutcome::PictureSizeZero);
  }
  return outcomes;
}

PlannedPhoto planOf(const JobSettings& settings, const std::string& name,
                    RememberedFrames* frames) {
  // Where the run would stop with an error, the plan names it and goes on.
  try {
    return {plannedOutcome(settings, name, frames), {}};
  } catch (const Error& error) {
    return {stoppingOutcome(settings, error.what()), error.what()};
  } catch (const std::bad_alloc& shortage) {
    return {PlannedOutcome::Unreadable, messageOf(shortage)};
  }
}

}  // namespace

PlannedPhoto planPhoto(const JobSettings& settings, const std::string& name) {
  return planOf(settings, name, nullptr);
}

PlannedPhoto planPhotoWithFrames(const JobSettings& settings, const std::string& name,
                                 RememberedFrames& frames) {
  return planOf(settings, name, &frames);
}

std::string plannedPhotoText(const PlannedPhoto& photo) {
  std::string text = outcomeName(photo.outcome);
  if (!photo.message.empty()) text += ": " + errorBoxText(photo.message);
  return text;
}

bool stopsTheRun(PlannedOutcome outcome) {
  return outcome == PlannedOutcome::Unreadable || outcome == PlannedOutcome::PictureSizeZero;
}

int PlanCounts::total() const {
  return std::accumulate(counts_.begin(), counts_.end(), 0);
}

std::string countsText(const JobSettings& settings, const PlanCounts& counts) {
  const int total = counts.total();
  std::string text = std::to_string(total) + (total == 1 ? " photo:" : " photos:");
  const char* separator = " ";
  for (const PlannedOutcome outcome : outcomesOf(settings)) {
    text += separator + std::to_string(counts.of(outcome)) + " " + outcomeName(outcome);
    separator = ", ";
  }
  return text;
}

}  // namespace batchfit
