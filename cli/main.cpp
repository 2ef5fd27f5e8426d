// batchfit-cli: the batch run from a terminal or a script.
#include <unistd.h>

#include <cstdio>
#include <thread>

#include "cli/CliOptions.h"
#include "cli/TerminalFrontEnd.h"
#include "engine/OutputWriter.h"
#include "engine/Plan.h"
#include "engine/Run.h"
#include "engine/RunRecord.h"
#include "image/Error.h"
#include "image/FileIo.h"
#include "image/MemoryReuse.h"

namespace {

// An error line names the file the run stopped at, as it was listed.
void printError(const batchfit::RunRecord& record) {
  const batchfit::FileRecord& failed = record.files().back();
  const std::string file = failed.file.empty() ? "" : failed.file + ": ";
  std::fprintf(stderr, "batchfit-cli: %s%s\n", file.c_str(), failed.reason.c_str());
}

// The report as CSV, written whole; a listed photo of that name goes to the
// trash rather than being written over, as with every output.
bool writeReport(const batchfit::CliRequest& request, const batchfit::RunRecord& record) {
  const std::string csv = batchfit::reportCsv(record);
  try {
    batchfit::writeWholeFile(request.reportPath, {csv.begin(), csv.end()},
                             batchfit::ListedPhotos(request.settings.files).photos);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "batchfit-cli: %s\n",
                 batchfit::errorBoxText(batchfit::messageOf(failure)).c_str());
    return false;
  }
  return true;
}

int runRequest(const batchfit::CliRequest& request) {
  batchfit::TerminalFrontEnd frontEnd(stdout, isatty(STDERR_FILENO) ? stderr : nullptr);
  batchfit::WorkPictures pictures;
  batchfit::RunRecord record;
  int status = 0;
  try {
    batchfit::runBatch(request.settings, frontEnd, pictures, record);
  } catch (const std::exception& failure) {
    record.fail(batchfit::messageOf(failure));
    status = 1;
  }
  frontEnd.finishProgress();
  if (status != 0) printError(record);
  if (!request.reportPath.empty() && !writeReport(request, record)) status = 1;
  return status;
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
        return request.dryRun ? planRequest(request.settings) : runRequest(request);
    }
  } catch (const batchfit::UsageError& error) {
    std::fprintf(stderr, "batchfit-cli: %s\nTry 'batchfit-cli --help' for more information.\n",
                 error.message.c_str());
  }
  return 2;
}
