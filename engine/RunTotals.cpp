#include "engine/RunTotals.h"

namespace batchfit {

std::string durationText(RunRecord::Clock::duration elapsed) {
  const auto tenths =
      (std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() + 50) / 100;
  const auto seconds = tenths / 10 % 60;
  return std::to_string(tenths / 600) + (seconds < 10 ? ":0" : ":") + std::to_string(seconds) +
         "." + std::to_string(tenths % 10);
}

namespace {

std::string countOf(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Where the user or an error stopped the run: at which picture of how many,
// and for an error the file as listed, where it came while one was taken up.
std::string stopText(const RunRecord& record) {
  std::string text = std::string(record.stoppedByUser() ? "stopped" : "stopped by an error") +
                     " at picture " + std::to_string(record.stoppedAt()) + " of " +
                     std::to_string(record.listed());
  if (record.stoppedByUser()) return text;
  const std::string& file = record.files().back().file;
  return file.empty() ? text : text + " (" + file + ")";
}

}  // namespace

std::string totalsText(const RunRecord& record) {
  // What was written comes first, as one number; a file written without the
  // crop editor was scaled.
  const int scaled = record.count(FileOutcome::Written);
  const int edited = record.count(FileOutcome::Edited);
  std::string text = "Written " + std::to_string(scaled + edited) + ": " + std::to_string(scaled) +
                     " scaled, " + std::to_string(edited) + " " + outcomeName(FileOutcome::Edited);
  for (const FileOutcome outcome :
       {FileOutcome::SkippedByUser, FileOutcome::WrongAspectRatio, FileOutcome::TooSmall}) {
    text += "; " + std::string(outcomeName(outcome)) + " " + std::to_string(record.count(outcome));
  }
  text += "\nTook " + durationText(record.elapsed());
  if (const int trashed = record.photosTrashed(); trashed > 0) {
    text += "; " + countOf(trashed, "original", "originals") + " moved to the trash";
  }
  if (record.stoppedAt() > 0) text += "; " + stopText(record);
  return text;
}

}  // namespace batchfit
