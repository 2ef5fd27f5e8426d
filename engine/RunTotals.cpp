#include "engine/RunTotals.h"

#include <cctype>

namespace batchfit {

std::string durationText(RunRecord::Clock::duration elapsed) {
  const auto tenths =
      (std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() + 50) / 100;
  const auto seconds = tenths / 10 % 60;
  return std::to_string(tenths / 600) + (seconds < 10 ? ":0" : ":") + std::to_string(seconds) +
         "." + std::to_string(tenths % 10);
}

std::string totalsText(const RunRecord& record) {
  std::string text;
  for (const FileOutcome outcome :
       {FileOutcome::Written, FileOutcome::Edited, FileOutcome::SkippedByUser,
        FileOutcome::WrongAspectRatio, FileOutcome::TooSmall}) {
    text += (text.empty() ? "" : ", ") + std::string(outcomeName(outcome)) + " " +
            std::to_string(record.count(outcome));
  }
  text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
  text += "\nTook " + durationText(record.elapsed());
  if (record.stoppedAt() > 0) {
    text += std::string(record.stoppedByUser() ? "; stopped" : "; stopped by an error") +
            " at picture " + std::to_string(record.stoppedAt()) + " of " +
            std::to_string(record.listed());
  }
  return text;
}

}  // namespace batchfit
