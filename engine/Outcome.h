// What becomes of a listed photo: as a plan foresees it from the headers and
// as a run records it, with the one table of words that the plan's counts,
// the dry-run lines, the totals and the CSV report all name them with.
#pragma once

namespace batchfit {

// What a plan foresees for a photo, from its headers alone.
enum class PlannedOutcome { Straight, Turned, Editor, WrongAspect, TooSmall, Unreadable };

// What a run did with a file.
enum class FileOutcome {
  Written,
  Edited,
  SkippedByUser,
  WrongAspectRatio,
  TooSmall,
  Error,
  Stopped
};

// The outcome's word, in lower case ("scaled straight", "too small").
const char* outcomeName(PlannedOutcome outcome);
const char* outcomeName(FileOutcome outcome);

}  // namespace batchfit
