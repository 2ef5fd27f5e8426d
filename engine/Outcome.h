// What becomes of a listed photo: as a plan foresees it from the headers and
// as a run records it, with the one table of words that the plan's counts,
// the dry-run lines, the totals and the CSV report all name them with.
#pragma once

namespace batchfit {

// What a plan foresees for a photo, from its headers alone (and, where the
// run commits remembered frames, its digest). Remembered: committed with its
// remembered frame; NoFrame: left out for having none, where only remembered
// frames edit; PictureSizeZero: the run would stop at the photo only because
// a picture size is 0.
enum class PlannedOutcome {
  Straight,
  Turned,
  Editor,
  Remembered,
  WrongAspect,
  NoFrame,
  TooSmall,
  Unreadable,
  PictureSizeZero
};

// What a run did with a file; Remembered and NoRememberedFrame as above;
// Stopped: the file the user stopped the run at.
enum class FileOutcome {
  Written,
  Edited,
  Remembered,
  SkippedByUser,
  WrongAspectRatio,
  NoRememberedFrame,
  TooSmall,
  Error,
  Stopped
};

// The outcome's word, in lower case ("scaled straight", "too small").
const char* outcomeName(PlannedOutcome outcome);
const char* outcomeName(FileOutcome outcome);

}  // namespace batchfit
