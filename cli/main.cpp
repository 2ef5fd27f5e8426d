// batchfit-cli: the batch run from a terminal or a script.
#include <unistd.h>

#include <cstdio>
#include <new>
#include <thread>

#include "cli/CliOptions.h"
#include "cli/TerminalFrontEnd.h"
#include "engine/Plan.h"
#include "engine/Run.h"
#include "image/Error.h"
#include "image/MemoryReuse.h"

namespace {

int runRequest(const batchfit::JobSettings& settings) {
  batchfit::TerminalFrontEnd frontEnd(stdout, isatty(STDERR_FILENO) ? stderr : nullptr);
  batchfit::WorkPictures pictures;
  try {
    batchfit::runBatch(settings, frontEnd, pictures);
  } catch (const std::bad_alloc&) {
    frontEnd.finishProgress();
    std::fprintf(stderr, "%s\n", batchfit::errorBoxText("Out of system resources").c_str());
    return 1;
  } catch (const std::exception& error) {
    frontEnd.finishProgress();
    std::fprintf(stderr, "%s\n", batchfit::errorBoxText(error.what()).c_str());
    return 1;
  }
  frontEnd.finishProgress();
  return 0;
}

// The plan of the run: a line per photo and the counts, on standard output.
// The status is the run's: 1 where it would stop at an unreadable file.
int planRequest(const batchfit::JobSettings& settings) {
  batchfit::PlanCounts counts;
  for (const std::string& name : settings.files) {
    const batchfit::PlannedPhoto planned = batchfit::planPhoto(settings, name);
    counts.add(planned.outcome);
    std::printf("%s: %s", batchfit::outcomeName(planned.outcome), name.c_str());
    if (!planned.message.empty()) {
      std::printf(": %s", batchfit::errorBoxText(planned.message).c_str());
    }
    std::printf("\n");
  }
  std::printf("%s\n", batchfit::countsText(settings, counts).c_str());
  return counts.of(batchfit::PlannedOutcome::Unreadable) > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  using batchfit::CliRequest;
  batchfit::keepFreedBuffersForReuse();
  try {
    const CliRequest request = batchfit::parseCommandLine({argv + 1, argv + argc},
                                                          int(std::thread::hardware_concurrency()));
    switch (request.action) {
      case CliRequest::Action::Help:
        std::fputs(batchfit::usageText().c_str(), stdout);
        return 0;
      case CliRequest::Action::Version:
        std::fputs(batchfit::versionText().c_str(), stdout);
        return 0;
      case CliRequest::Action::Run:
        return request.dryRun ? planRequest(request.settings) : runRequest(request.settings);
    }
  } catch (const batchfit::UsageError& error) {
    std::fprintf(stderr, "batchfit-cli: %s\nTry 'batchfit-cli --help' for more information.\n",
                 error.message.c_str());
  }
  return 2;
}
