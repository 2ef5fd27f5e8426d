// Decoding the next pictures of a run ahead, on worker threads, and scaling
// those that need no one, so that the run itself only waits for pictures it
// is ready to write. Results and their order are exactly those of reading
// one file at a time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "engine/FrontEnd.h"
#include "engine/JobSettings.h"
#include "engine/OutputWriter.h"
#include "image/JpegObject.h"
#include "image/PixelSurface.h"

namespace batchfit {

// How a mode scales a loaded picture onto a target of its own while it
// decodes, where the picture needs no one (no crop editor, no report line):
// exactly what the run would leave in TI from the whole picture. An empty
// surface for a picture only reported, once it decoded to its end. None
// where the run must see the whole picture.
using ScaleWhileDecoding =
    std::function<std::optional<PixelSurface>(const JobSettings&, const JpegObject&)>;

// What a worker made of one file.
struct Prepared {
  // As loadFile would leave the run's object, without pixels.
  JpegObject jpeg;
  std::optional<PixelSurface> scaled;
  // Of a picture decoded whole, as the run's steps see it (finishPicture);
  // none for a picture scaled, which was never held whole.
  std::optional<PixelSurface> picture;
  // The digest of the bytes (photoDigest) of a picture decoded whole while
  // remembered frames are in use; empty otherwise.
  std::string digest;
  // Of a picture decoded whole, where show made it.
  std::optional<PixelSurface> shown;
};

class DecodeAhead {
 public:
  // Starts settings.jobs workers when jobs > 1; with 1 nothing runs ahead.
  // listed tells which file each listed name reached when the run started.
  // scale may be empty: then no picture is scaled ahead; so may show.
  DecodeAhead(const JobSettings& settings, const ListedPhotos& listed, ScaleWhileDecoding scale,
              PrepareShow show = {});
  ~DecodeAhead();
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // What a worker made of file i; nothing when the run must read the file
  // itself (it failed or was too small there). Called once per file that
  // passed the size test, in list order, after every earlier file is finished.
  std::optional<Prepared> take(std::size_t index);
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
    std::optional<Prepared> prepared;
    bool holdsPicture = false;  // counted in picturesHeld_
  };

  void work();
  std::optional<std::size_t> claimNext(std::unique_lock<std::mutex>& lock);
  std::optional<Prepared> prepare(std::size_t index) const;
  void deliver(std::size_t index, std::optional<Prepared> prepared);
  void hold(Slot& slot);
  void letGo(Slot& slot);
  void stop();

  const JobSettings& settings_;
  const ScaleWhileDecoding scale_;
  const PrepareShow show_;
  // In a run that shows every photo in the crop editor, the user waits on
  // screen for the first, and decodes side by side each take longer: the
  // first is decoded alone, and the rest while the user frames it.
  const bool firstAlone_;
  bool firstDelivered_ = false;
  // For each file, the last earlier file whose output may replace this one
  // (it must not be read before that one is finished), or none.
  std::vector<std::optional<std::size_t>> mustFollow_;
  std::vector<Slot> slots_;
  std::size_t nextToClaim_ = 0;
  std::size_t finishedUpTo_ = 0;  // files [0, finishedUpTo_) are finished
  // Whole pictures in work, or decoded and held by a slot or by the run: the
  // run's own counts too, so at most jobs are ever held at once.
  std::size_t picturesHeld_ = 0;
  // Files claimed or ready and not yet taken, whole or scaled: their bytes
  // are held, so they too are bounded.
  std::size_t filesAhead_ = 0;
  std::size_t limit_ = 0;
  bool stopping_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> workers_;
};

}  // namespace batchfit
