// "OK/NEXT" committed: the framed part of a photo cut to its top-left corner
// and sampled, turned when the frame is, into the target surface; and the
// preview of what that writes. Both sample through the one cut, so what the
// editor shows and what the run writes cannot drift apart.
#pragma once

#include "engine/CropDecision.h"
#include "engine/JobSettings.h"
#include "engine/Scaling.h"
#include "image/PictureRole.h"
#include "image/PixelSurface.h"

namespace batchfit {

// Makes the factors that sample the framed part into the target, as the
// commit will. Where they fail (a target size of 0) it throws, with the framed
// part first moved to picture's top-left corner as a failed commit leaves it;
// otherwise picture is left as it is.
void proveCommit(PixelSurface& picture, const FramedPart& part, const JobSettings& settings);

// The framed part, as cut to the top-left corner, sampled into target. The
// picture itself is left as it is, so that no "OK/NEXT" copies a whole
// photo. Throws as proveCommit does, with target untouched; a
// target size below 0 visits nothing.
void commitCrop(const PixelSurface& picture, const FramedPart& part, const JobSettings& settings,
                PictureRole& target);

// The pixels the run writes when "OK/NEXT" is pressed with this frame:
// the commit's sampling and the anti-aliasing pass, on a fresh target, with
// the picture left uncut. The target's width and height must be positive.
PixelSurface previewCrop(const PixelSurface& picture, const FramedPart& part,
                         const JobSettings& settings);

}  // namespace batchfit
