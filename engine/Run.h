// The batch run: run start, the per-file skeleton the three modes share,
// and the report at the end.
#pragma once

#include "engine/FrontEnd.h"
#include "engine/JobSettings.h"
#include "engine/RunRecord.h"
#include "image/PictureRole.h"

namespace batchfit {

// The run's working pictures, held by the main window: the source picture
// PI and the target surface TI.
struct WorkPictures {
  PictureRole PI;
  PictureRole TI;
};

// Sizes TI to the target and empties it; its first use makes it all white.
void prepareTarget(const JobSettings& settings, PictureRole& TI);

// Once a run is over: PI lets go of its pixels (a run replaces them before
// it reads them) and what was kept for the next photo goes back to the
// system. TI keeps the last result.
void letGoOfPhotos(WorkPictures& pictures);

// The whole run; record takes what became of each file as it ends. Errors
// end the run and reach the caller, with record still holding the files
// done and the one taken up; outputs already written stay and the collected
// report is not shown.
void runBatch(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
              RunRecord& record);
// The same run with every picture decoded whole: what a run that scales
// pictures while they decode must match, for tests to compare it with.
void runBatchDecodingWhole(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                           RunRecord& record);

}  // namespace batchfit
