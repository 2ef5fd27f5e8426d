// The totals a front end shows after a run, from its record: what became of
// the files, how long the run took, the photos moved to the trash and where
// an error or the user stopped it.
#pragma once

#include <string>

#include "engine/RunRecord.h"

namespace batchfit {

// Minutes, seconds and tenths, to the nearest tenth: "1:05.3".
std::string durationText(RunRecord::Clock::duration elapsed);

// Two lines: the counts ("Written 16: 10 scaled, 6 edited; skipped by the
// user 1; ..."), then the time, the listed photos that went to the trash,
// if any, and where an error or the user stopped the run: at which picture
// of how many (and, for an error, which file).
std::string totalsText(const RunRecord& record);

}  // namespace batchfit
