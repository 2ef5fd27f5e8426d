// The three resizing modes: Keen resizing, edit-all and resize-all.
#pragma once

#include "engine/FrontEnd.h"
#include "engine/JobSettings.h"
#include "engine/Run.h"
#include "engine/RunRecord.h"

namespace batchfit {

// How the modes decode a picture that needs no one: scaled while it decodes,
// never held whole (the run's way), or decoded whole and scaled from the
// whole picture, which gives the same result and is what tests compare with.
enum class Decoding { ScaleWhileDecoding, AlwaysWhole };

// Scales a picture whose aspect ratio fits the target's; hands any other to
// the crop editor or reports it, by mismatchAction.
void runKeenMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                 RunRecord& record, Decoding decoding);
// Shows every picture in the crop editor and writes the confirmed ones.
void runEditAllMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                    RunRecord& record);
// Scales every picture to the target size, whatever its aspect ratio.
void runResizeAllMode(const JobSettings& settings, FrontEnd& frontEnd, WorkPictures& pictures,
                      RunRecord& record, Decoding decoding);

}  // namespace batchfit
