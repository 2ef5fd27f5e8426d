#include "engine/Outcome.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace batchfit {

namespace {

// A word and the outcomes it names. Where a plan and a run name the same fate
// (a wrong aspect ratio, too small) one row serves both, so the counts before
// a run and the totals after it cannot come to call it two ways.
struct OutcomeWord {
  std::optional<PlannedOutcome> planned;
  std::optional<FileOutcome> recorded;
  const char* word;
};

constexpr OutcomeWord Words[] = {
    {PlannedOutcome::Straight, {}, "scaled straight"},
    {PlannedOutcome::Turned, {}, "scaled turned"},
    {PlannedOutcome::Editor, {}, "to the editor"},
    {{}, FileOutcome::Written, "written"},
    {{}, FileOutcome::Edited, "edited"},
    {PlannedOutcome::Remembered, FileOutcome::Remembered, "edited (remembered)"},
    {{}, FileOutcome::SkippedByUser, "skipped by the user"},
    {PlannedOutcome::WrongAspect, FileOutcome::WrongAspectRatio, "wrong aspect ratio"},
    {PlannedOutcome::NoFrame, FileOutcome::NoRememberedFrame, "no remembered frame"},
    {PlannedOutcome::TooSmall, FileOutcome::TooSmall, "too small"},
    {PlannedOutcome::Unreadable, {}, "unreadable"},
    {PlannedOutcome::PictureSizeZero, {}, "picture size 0"},
    {{}, FileOutcome::Error, "error"},
    {{}, FileOutcome::Stopped, "stopped"},
};

template <typename Outcome>
const char* wordOf(std::optional<Outcome> OutcomeWord::*column, Outcome outcome) {
  const auto row = std::find_if(std::begin(Words), std::end(Words),
                                [&](const OutcomeWord& w) { return w.*column == outcome; });
  return row == std::end(Words) ? "" : row->word;
}

}  // namespace

const char* outcomeName(PlannedOutcome outcome) {
  return wordOf(&OutcomeWord::planned, outcome);
}

const char* outcomeName(FileOutcome outcome) {
  return wordOf(&OutcomeWord::recorded, outcome);
}

}  // namespace batchfit
