// The three resizing modes: Keen resizing, edit-all and resize-all, and what
// each does with a photo by its size.
#pragma once

#include <cstdint>

#include "engine/FrontEnd.h"
#include "engine/JobSettings.h"
#include "engine/Run.h"
#include "engine/RunRecord.h"
#include "engine/Scaling.h"

namespace batchfit {

// How the modes decode a picture that needs no one: scaled while it decodes,
// never held whole (the run's way), or decoded whole and scaled from the
// whole picture, which gives the same result and is what tests compare with
// (with smoothScaling, a reduction of the full-size decode rather than of
// the scaled one).
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

// What the run does with a photo that passed its size test: scale it as
// placed, show it in the crop editor, or report its aspect ratio.
enum class Handling { Scale, Edit, Report };
struct Decision {
  Handling handling = Handling::Report;
  Placement placement;  // for Scale
};

// The mode's decision for a width x height photo (upright, as the run holds
// it). Raises the division errors of a target size of 0 where the mode
// computes the factors, as the run does at that photo.
Decision decide(const JobSettings& settings, std::int32_t width, std::int32_t height);

}  // namespace batchfit
