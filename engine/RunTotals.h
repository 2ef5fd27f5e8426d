// The totals a front end shows after a run, from its record: what became of
// the files, how long the run took and where an error or the user stopped it.
#pragma once

#include <string>

#include "engine/RunRecord.h"

namespace batchfit {

// Minutes, seconds and tenths, to the nearest tenth: "1:05.3".
std::string durationText(RunRecord::Clock::duration elapsed);

// Two lines: the counts ("Written 3, edited 0, ..."), then the time and,
// where an error or the user stopped the run, at which picture of how many.
std::string totalsText(const RunRecord& record);

}  // namespace batchfit
