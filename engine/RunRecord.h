// What became of each listed file in a run, recorded as the run goes: the
// report's lines and the files written, for the totals after a run and the
// report saved as CSV.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "engine/Outcome.h"

namespace batchfit {

struct FileRecord {
  std::string file;  // as listed
  FileOutcome outcome = FileOutcome::Written;
  // The report line of a file reported, the error's text for the one an
  // error stopped the run at; empty for the others.
  std::string reason;
  std::string outputPath;     // the file written; empty when none was
  bool photoTrashed = false;  // a listed photo at outputPath went to the trash first
};

class RunRecord {
 public:
  using Clock = std::chrono::steady_clock;

  // A new run over count files: forgets the last run and starts the clock.
  void start(int count);
  // The file at place (from 1) of the list is taken up now.
  void takeUp(int place, const std::string& file);
  // The file taken up ended so.
  void finish(FileOutcome outcome, std::string reason = {}, std::string outputPath = {},
              bool photoTrashed = false);
  // An error ended the run at the file taken up (outside a file, it has no
  // name and stopped the run at the next one): recorded with the text it is
  // shown with.
  void fail(const std::string& message);
  // The user stopped the run at the file taken up, which is left undone.
  void stop();

  const std::vector<FileRecord>& files() const { return files_; }
  int count(FileOutcome outcome) const;
  // The listed photos that went to the trash before an output took their place.
  int photosTrashed() const;
  int listed() const { return listed_; }
  // The place of the file an error or the user stopped the run at; 0 when
  // neither did.
  int stoppedAt() const { return stoppedAt_; }
  bool stoppedByUser() const { return stoppedByUser_; }
  // From the start of the run to the end of its last file.
  Clock::duration elapsed() const { return finished_ - started_; }

 private:
  void add(FileOutcome outcome, std::string reason, std::string outputPath);

  std::vector<FileRecord> files_;
  int listed_ = 0;
  int place_ = 0;
  std::string file_;
  int stoppedAt_ = 0;
  bool stoppedByUser_ = false;
  Clock::time_point started_{};
  Clock::time_point finished_{};
};

// The record as CSV (RFC 4180: a header line, lines ended by CR LF, fields
// with a comma, a quote or a line break quoted): file, outcome, reason,
// output path. Names are kept as the file system gives them.
std::string reportCsv(const RunRecord& record);

}  // namespace batchfit
