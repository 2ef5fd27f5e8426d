// Photos for the bench that an entropy coder sees as a camera's: a sky with
// soft clouds, hills with fine texture (grass, foliage), buildings with hard
// edges and rows of windows, a sun, and a sensor's mild noise over all.
#pragma once

#include "tests/support/TestPictures.h"

namespace bench {

// The scene of one shot at width x height; shots differ in layout and light.
testpics::Pattern cameraScene(int width, int height, int shot);

}  // namespace bench
