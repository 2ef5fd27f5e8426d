// Decoding the next pictures of a run ahead, on worker threads, so that the
// run itself only waits for pictures it is ready to scale. Results and their
// order are exactly those of reading one file at a time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "JobSettings.h"
#include "JpegObject.h"

namespace batchfit {

class DecodeAhead {
 public:
  // Starts settings.jobs workers when jobs > 1; with 1 nothing runs ahead.
  explicit DecodeAhead(const JobSettings& settings);
  ~DecodeAhead();
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // The JPEG object as loadFile and decodeTo would leave it for file i, if a
  // worker could prepare it; nothing when the run must read the file itself
  // (it failed, was too small, or an earlier output of the run may replace
  // it). Called once per file that passed the size test, in list order.
  std::optional<JpegObject> take(std::size_t index);
  // File i is done with: its output, if any, is written, and the run has let
  // go of its picture. Files that one of the first i + 1 outputs may replace
  // can be read from now on.
  void finished(std::size_t index);
  // Whether pictures are decoded ahead at all (jobs > 1).
  bool active() const { return !workers_.empty(); }

 private:
  enum class State { Waiting, Claimed, Ready, Taken, Nothing };
  struct Slot {
    State state = State::Waiting;
    std::optional<JpegObject> jpeg;
  };

  void work();
  std::optional<std::size_t> claimNext(std::unique_lock<std::mutex>& lock);
  std::optional<JpegObject> prepare(std::size_t index) const;
  void stop();

  const JobSettings& settings_;
  // For each file, the last earlier file whose output path is this file
  // (it must not be read before that one is finished), or none.
  std::vector<std::optional<std::size_t>> mustFollow_;
  std::vector<Slot> slots_;
  std::size_t nextToClaim_ = 0;
  std::size_t finishedUpTo_ = 0;  // files [0, finishedUpTo_) are finished
  // Pictures claimed, ready, or taken and not yet finished: the run's own
  // picture counts too, so at most jobs pictures are ever held at once.
  std::size_t held_ = 0;
  std::size_t limit_ = 0;
  bool stopping_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> workers_;
};

}  // namespace batchfit
