// "OK/NEXT" committed: the framed part of a photo cut to its top-left corner
// and sampled, turned when the frame is, into the target surface; and the
// preview of what that writes. The crop editor cuts its own picture with the
// same steps, so what it shows and what the run writes cannot drift apart.
#pragma once

#include "engine/CropDecision.h"
#include "engine/JobSettings.h"
#include "engine/Scaling.h"
#include "image/PictureRole.h"
#include "image/PixelSurface.h"

namespace batchfit {

// Moves the framed part of picture to its top-left corner, then makes the
// factors that sample it into the target. Throws when a factor divides by a
// target size of 0, with the cut already made.
Placement cutFramedPart(PixelSurface& picture, const FramedPart& part, const JobSettings& settings);

// The cut, then the sampling into target. Throws as cutFramedPart does,
// with target untouched; a target size below 0 visits nothing.
void commitCrop(PixelSurface& picture, const FramedPart& part, const JobSettings& settings,
                PictureRole& target);

// The pixels the run writes when "OK/NEXT" is pressed with this frame:
// the commit's sampling and the anti-aliasing pass, on a fresh target, with
// the picture left uncut. The target's width and height must be positive.
PixelSurface previewCrop(const PixelSurface& picture, const FramedPart& part,
                         const JobSettings& settings);

}  // namespace batchfit
