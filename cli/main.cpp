// batchfit-cli: the batch run from a terminal or a script.
#include <unistd.h>

#include <cstdio>
#include <new>
#include <thread>

#include "cli/CliOptions.h"
#include "cli/TerminalFrontEnd.h"
#include "engine/Run.h"
#include "image/Error.h"
#include "image/MemoryReuse.h"

namespace {

int runRequest(const batchfit::JobSettings& settings) {
  batchfit::TerminalFrontEnd frontEnd(stdout, isatty(STDERR_FILENO) ? stderr : nullptr);
  batchfit::WorkPictures pictures;
  batchfit::RunRecord record;
  try {
    batchfit::runBatch(settings, frontEnd, pictures, record);
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
        return runRequest(request.settings);
    }
  } catch (const batchfit::UsageError& error) {
    std::fprintf(stderr, "batchfit-cli: %s\nTry 'batchfit-cli --help' for more information.\n",
                 error.message.c_str());
  }
  return 2;
}
