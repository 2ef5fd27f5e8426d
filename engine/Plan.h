// A plan of a run, told from the listed files' headers alone: for each photo
// what the run will do with it, by the run's own size test and decision, and
// the counts over a list.
#pragma once

#include <array>
#include <string>

#include "engine/JobSettings.h"
#include "engine/Outcome.h"

namespace batchfit {

struct PlannedPhoto {
  PlannedOutcome outcome = PlannedOutcome::Unreadable;
  std::string message;  // the error the run would stop with, for Unreadable
};

// Reads the photo's headers as the run reads the file (by its extension for
// the size test, then as a JPEG stream) and decides as the run does on the
// size the header declares. A file the run could not read is Unreadable
// with the run's message; what only decoding can tell is not looked for.
PlannedPhoto planPhoto(const JobSettings& settings, const std::string& name);

class PlanCounts {
 public:
  void add(PlannedOutcome outcome) { ++counts_[std::size_t(outcome)]; }
  int of(PlannedOutcome outcome) const { return counts_[std::size_t(outcome)]; }
  int total() const;

 private:
  std::array<int, 6> counts_{};
};

// "5 photos: 2 scaled straight, 1 scaled turned, ...": every outcome the
// settings' mode can give, in the order of PlannedOutcome, zeros included.
std::string countsText(const JobSettings& settings, const PlanCounts& counts);

}  // namespace batchfit
