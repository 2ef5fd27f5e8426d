// What a planned run would do that the counts alone do not tell: an output
// folder that is missing, listed photos their own results would replace,
// and photos the run would stop at only for a picture size of 0.
#pragma once

#include <string>
#include <vector>

#include "engine/JobSettings.h"
#include "engine/Plan.h"

namespace batchfit {

// The warnings for the listed files as planned (one plan per listed file,
// in list order), one line each, in the order the user would meet them.
std::vector<std::string> planWarnings(const JobSettings& settings,
                                      const std::vector<PlannedPhoto>& planned);

// Whether the run would stop at the photo only because a picture size is 0:
// the division by that size fails, whatever the photo.
bool stopsForPictureSizeZero(const JobSettings& settings, const PlannedPhoto& planned);

}  // namespace batchfit
