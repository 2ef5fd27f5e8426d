#include "engine/RunRecord.h"

#include <algorithm>

#include "image/Error.h"

namespace batchfit {

void RunRecord::start(int count) {
  files_.clear();
  listed_ = count;
  place_ = 0;
  file_.clear();
  stoppedAt_ = 0;
  stoppedByUser_ = false;
  started_ = finished_ = Clock::now();
}

void RunRecord::takeUp(int place, const std::string& file) {
  place_ = place;
  file_ = file;
}

void RunRecord::finish(FileOutcome outcome, std::string reason, std::string outputPath,
                       bool photoTrashed) {
  add(outcome, std::move(reason), std::move(outputPath));
  files_.back().photoTrashed = photoTrashed;
  place_ = 0;
  file_.clear();
}

void RunRecord::fail(const std::string& message) {
  // Between two files the error belongs to the next one, which is not done.
  stoppedAt_ = place_ > 0 ? place_ : int(files_.size()) + 1;
  add(FileOutcome::Error, errorBoxText(message), {});
}

void RunRecord::stop() {
  stoppedAt_ = place_;
  stoppedByUser_ = true;
  add(FileOutcome::Stopped, {}, {});
}

void RunRecord::add(FileOutcome outcome, std::string reason, std::string outputPath) {
  files_.push_back({file_, outcome, std::move(reason), std::move(outputPath)});
  finished_ = Clock::now();
}

int RunRecord::count(FileOutcome outcome) const {
  return int(std::count_if(files_.begin(), files_.end(),
                           [outcome](const FileRecord& file) { return file.outcome == outcome; }));
}

int RunRecord::photosTrashed() const {
  return int(std::count_if(files_.begin(), files_.end(),
                           [](const FileRecord& file) { return file.photoTrashed; }));
}

namespace {

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string reportCsv(const RunRecord& record) {
  std::string csv = "file,outcome,reason,output path\r\n";
  for (const FileRecord& file : record.files()) {
    csv += csvField(file.file) + "," + outcomeName(file.outcome) + "," + csvField(file.reason) +
           "," + csvField(file.outputPath) + "\r\n";
  }
  return csv;
}

}  // namespace batchfit
