// What the crop editor hands back to the run: "SKIP", or "OK/NEXT" with the
// part of the photo under the frame. The run commits it (engine/CropCommit.h).
#pragma once

#include "image/PixelSurface.h"

namespace batchfit {

// The frame over the photo, in the photo's pixels as the editor showed it
// (it may reach outside a small photo), and whether it lies turned: the
// target's width and height exchanged.
struct FramedPart {
  SurfaceRect frame;
  bool turned = false;
};

struct CropDecision {
  bool skipped = true;
  FramedPart part;  // for "OK/NEXT"
};

}  // namespace batchfit
