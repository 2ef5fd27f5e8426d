#include "engine/DecodeAhead.h"

#include <map>
#include <utility>

#include "engine/FrameStore.h"
#include "engine/OutputWriter.h"
#include "engine/RunSkeleton.h"
#include "image/FileIo.h"

namespace batchfit {

namespace {

// For each input, the last earlier input whose output lands on the file it
// names, by the files' identities when the run starts. A name that reached no
// plain file then can only come to hold one during the run (through an
// earlier output, say, under whatever spelling): it is read at its turn.
std::vector<std::optional<std::size_t>> outputsLandingOnInputs(const JobSettings& settings,
                                                               const ListedPhotos& listed) {
  std::vector<std::optional<std::size_t>> mustFollow(settings.files.size());
  std::map<FileIdentity, std::size_t> lastWriterOf;
  for (std::size_t i = 0; i < settings.files.size(); ++i) {
    const std::optional<FileIdentity>& input = listed.identities[i];
    if (!input) {
      if (i > 0) mustFollow[i] = i - 1;
    } else if (auto writer = lastWriterOf.find(*input); writer != lastWriterOf.end()) {
      mustFollow[i] = writer->second;
    }
    const std::string output = outputFilePath(settings, settings.files[i]);
    if (const std::optional<FileIdentity> replaced = plainFileIdentity(output)) {
      lastWriterOf[*replaced] = i;
    }
  }
  return mustFollow;
}

}  // namespace

DecodeAhead::DecodeAhead(const JobSettings& settings, const ListedPhotos& listed,
                         ScaleWhileDecoding scale, PrepareShow show)
    : settings_(settings),
      scale_(std::move(scale)),
      show_(std::move(show)),
      firstAlone_(show_ && settings.mode == Mode::EditAll),
      slots_(settings.files.size()) {
  if (settings.jobs <= 1) return;
  mustFollow_ = outputsLandingOnInputs(settings, listed);
  limit_ = std::size_t(settings.jobs);
  for (int i = 0; i < settings.jobs; ++i) workers_.emplace_back([this] { work(); });
}

DecodeAhead::~DecodeAhead() {
  stop();
}

void DecodeAhead::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (auto& worker : workers_) worker.join();
  workers_.clear();
}

void DecodeAhead::hold(Slot& slot) {
  if (slot.holdsPicture) return;
  slot.holdsPicture = true;
  ++picturesHeld_;
}

void DecodeAhead::letGo(Slot& slot) {
  if (!slot.holdsPicture) return;
  slot.holdsPicture = false;
  --picturesHeld_;
}

std::optional<std::size_t> DecodeAhead::claimNext(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] {
    // Files the run has passed already (too small for it) are passed over.
    while (nextToClaim_ < slots_.size() && slots_[nextToClaim_].state != State::Waiting) {
      ++nextToClaim_;
    }
    if (stopping_ || nextToClaim_ >= slots_.size()) return true;
    const auto& after = mustFollow_[nextToClaim_];
    if (firstAlone_ && !firstDelivered_ && filesAhead_ > 0) return false;
    return picturesHeld_ < limit_ && filesAhead_ < 2 * limit_ && (!after || *after < finishedUpTo_);
  });
  if (stopping_ || nextToClaim_ >= slots_.size()) return std::nullopt;
  const std::size_t index = nextToClaim_++;
  slots_[index].state = State::Claimed;
  hold(slots_[index]);
  ++filesAhead_;
  return index;
}

void DecodeAhead::work() {
  std::unique_lock lock(mutex_);
  while (auto index = claimNext(lock)) {
    lock.unlock();
    std::optional<Prepared> prepared = prepare(*index);
    lock.lock();
    deliver(*index, std::move(prepared));
    changed_.notify_all();
  }
}

std::optional<Prepared> DecodeAhead::prepare(std::size_t index) const {
  // Anything that fails here is left to the run, which reads the file itself
  // at its turn and so raises the same error at the same point.
  try {
    const std::string& name = settings_.files[index];
    // A photo of another format the run decodes itself, at its turn.
    if (otherFormatReader(settings_, name)) return std::nullopt;
    PictureRole picture;
    if (!loadAndTestSize(name, settings_, picture)) return std::nullopt;
    Prepared prepared;
    prepared.jpeg.loadFile(name);
    if (prepared.jpeg.bytes().empty()) return std::nullopt;
    prepared.scaled = decodeOrScale(prepared.jpeg, settings_, scale_, picture);
    if (prepared.scaled) return prepared;
    // A photo that may need its remembered frame is known by its digest,
    // made here rather than by the run while the user waits for the editor.
    if (settings_.rememberFrames != FrameMemory::Off) {
      prepared.digest = photoDigest(prepared.jpeg.bytes());
    }
    // Turned and converted here too, for the run to take as it stands; the
    // pixels as stored are let go, so the photo is held once.
    finishPicture(settings_, prepared.jpeg, picture);
    prepared.jpeg.dropPixels();
    if (show_) prepared.shown = show_(picture.surface());
    prepared.picture = picture.surface();
    return prepared;
  } catch (...) {
    return std::nullopt;
  }
}

void DecodeAhead::deliver(std::size_t index, std::optional<Prepared> prepared) {
  Slot& slot = slots_[index];
  // The run may have passed this file already (it changed under us): drop it.
  if (index < finishedUpTo_) prepared.reset();
  if (!prepared || !prepared->picture) letGo(slot);
  if (!prepared) --filesAhead_;
  slot.state = prepared ? State::Ready : State::Nothing;
  slot.prepared = std::move(prepared);
  firstDelivered_ = true;
}

std::optional<Prepared> DecodeAhead::take(std::size_t index) {
  if (!active() || index >= slots_.size()) return std::nullopt;
  std::unique_lock lock(mutex_);
  Slot& slot = slots_[index];
  // A file no worker has started yet is theirs all the same: every earlier
  // file is finished, so one is free to start it, and a worker scales what it
  // can without ever holding the whole picture.
  changed_.wait(lock, [&] { return slot.state != State::Waiting && slot.state != State::Claimed; });
  if (slot.state == State::Ready) --filesAhead_;
  // From here the run holds this file's picture, decoded ahead or read
  // itself, until it is finished with it; a picture scaled ahead it never sees.
  if (!slot.prepared || slot.prepared->picture) hold(slot);
  slot.state = State::Taken;
  std::optional<Prepared> prepared = std::exchange(slot.prepared, std::nullopt);
  lock.unlock();
  changed_.notify_all();
  return prepared;
}

void DecodeAhead::finished(std::size_t index) {
  if (!active()) return;
  {
    std::lock_guard lock(mutex_);
    finishedUpTo_ = std::max(finishedUpTo_, index + 1);
    // A picture the run did not take (the file changed between the workers'
    // size test and its own) is let go, and a file not yet started is left out.
    Slot& slot = slots_[index];
    if (slot.state == State::Ready) --filesAhead_;
    if (slot.state != State::Claimed) {
      slot.state = State::Nothing;
      letGo(slot);
    }
    slot.prepared.reset();
  }
  changed_.notify_all();
}

}  // namespace batchfit
