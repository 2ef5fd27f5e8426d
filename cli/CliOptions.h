// The command line of batchfit-cli, read into the settings of one run.
#pragma once

#include <string>
#include <vector>

#include "engine/JobSettings.h"

namespace batchfit {

struct CliRequest {
  enum class Action { Run, Help, Version };
  Action action = Action::Run;
  // Plan the run from the headers instead of running it.
  bool dryRun = false;
  JobSettings settings;
  // Where the run's report goes as CSV; empty for none.
  std::string reportPath;
};

// A command line that cannot be used; the message names the option or value.
struct UsageError {
  std::string message;
};

// Reads the arguments (without the program name). Throws UsageError.
// `cores` is the default for --jobs.
CliRequest parseCommandLine(const std::vector<std::string>& args, int cores);

std::string usageText();
std::string versionText();

}  // namespace batchfit
