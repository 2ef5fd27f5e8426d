// What a planned run would do that the counts alone do not tell: an output
// folder that is missing, and listed photos their own results would replace.
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

}  // namespace batchfit
