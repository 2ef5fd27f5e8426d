#include "engine/Plan.h"

#include <new>
#include <numeric>
#include <vector>

#include "engine/Modes.h"
#include "engine/RunSkeleton.h"
#include "image/Error.h"
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

PlannedOutcome plannedOutcome(const JobSettings& settings, const std::string& name) {
  PictureRole declared;
  if (!loadAndTestSize(name, settings, declared)) return PlannedOutcome::TooSmall;
  // The run reads every photo that passed as a JPEG stream, whatever its
  // extension, and decides on the size its decoding gives: the header's.
  const Picture photo = jpegPicture(readJpegStreamHeader(name), settings.exifOrientation);
  return outcomeOf(decide(settings, photo.width, photo.height));
}

// The outcomes a mode can give, in order.
std::vector<PlannedOutcome> outcomesOf(const JobSettings& settings) {
  using enum PlannedOutcome;
  switch (settings.mode) {
    case Mode::Keen:
      return {Straight, Turned,
              settings.mismatchAction == MismatchAction::Edit ? Editor : WrongAspect, TooSmall,
              Unreadable};
    case Mode::EditAll:
      return {Editor, TooSmall, Unreadable};
    case Mode::ResizeAll:
      return {Straight, Turned, TooSmall, Unreadable};
    case Mode::None:
      break;
  }
  return {};
}

}  // namespace

PlannedPhoto planPhoto(const JobSettings& settings, const std::string& name) {
  // Where the run would stop with an error, the plan names it and goes on.
  try {
    return {plannedOutcome(settings, name), {}};
  } catch (const Error& error) {
    return {PlannedOutcome::Unreadable, error.what()};
  } catch (const std::bad_alloc& shortage) {
    return {PlannedOutcome::Unreadable, messageOf(shortage)};
  }
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
