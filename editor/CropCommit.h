// The two ways out of the crop editor: "OK/NEXT" cuts the framed part out of
// the editor picture into the target surface, "SKIP" leaves the target alone;
// and the preview of what "OK/NEXT" would write.
#pragma once

#include "editor/CropFrame.h"
#include "engine/JobSettings.h"
#include "image/PictureRole.h"
#include "image/PixelSurface.h"

namespace batchfit {

// "OK/NEXT": editorSkipped := false; moves the framed part of picture to its
// top-left corner, then samples it, turned when the frame is, into target.
// Throws when a factor divides by a target size of 0; by then editorSkipped
// is false and the cut is made, and target is untouched.
void commitCrop(PixelSurface& picture, const CropFrame& frame, const JobSettings& settings,
                PictureRole& target, bool& editorSkipped);

// The pixels the run writes when "OK/NEXT" is pressed with this frame:
// the commit's sampling and the anti-aliasing pass, on a fresh target, with
// the picture left uncut. The target's width and height must be positive.
PixelSurface previewCrop(const PixelSurface& picture, const CropFrame& frame,
                         const JobSettings& settings);

// "SKIP": neither the picture nor the target changes.
inline void skipCrop(bool& editorSkipped) {
  editorSkipped = true;
}

}  // namespace batchfit
