// Crop frames remembered across runs: a photo's frame for a target shape,
// kept in an SQLite file that other programs (a second batchfit, a script)
// may use at the same time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/CropDecision.h"
#include "engine/JobSettings.h"

struct sqlite3;
struct sqlite3_stmt;

namespace batchfit {

// A frame as the store holds it: in the pixels of the photo as the crop
// editor shows it (upright where the run turned the photo); turned: the
// target's width and height exchanged.
struct PhotoFrame {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool turned = false;
  bool operator==(const PhotoFrame&) const = default;
};

// What a frame is stored under: the photo's bytes (not its name, so a copy or
// a renamed photo is still known), the target's shape and whether the photo
// was turned upright before it was framed.
struct FrameKey {
  std::string photo;  // SHA-256 of the file's bytes, lowercase hex
  std::string shape;  // the target's proportions in lowest terms, "4:5"
  bool upright = false;
};

std::string photoDigest(const std::vector<std::uint8_t>& bytes);
// "4:5" for 176 x 220; empty for a target without pixels, which no frame fits.
std::string shapeText(std::int32_t targetWidth, std::int32_t targetHeight);

// Whether a stored frame can stand on a width x height photo for the target:
// it lies inside the photo, it is no smaller than the target (turned with
// the frame), and its proportions are the target's as closely as a frame
// rounded to whole pixels can hold them.
bool frameUsable(const PhotoFrame& frame, std::int32_t width, std::int32_t height,
                 const JobSettings& settings);

// $XDG_DATA_HOME/batchfit/frames.sqlite, or under ~/.local/share where that
// is unset (or not an absolute path).
std::string defaultFrameStorePath();

// How long a store locked by another program is waited for.
inline constexpr int FrameStoreWaitMilliseconds = 3000;

// The store file. Every failure throws Error with a message that names the
// file and says whether it could not be opened, stayed locked or is damaged;
// a failure changes no stored frame.
class FrameStore {
 public:
  enum class Access { ReadOnly, ReadWrite };
  // ReadWrite creates the file (and its folder) where it is missing and puts
  // it in WAL mode, so that readers never wait for a writer; ReadOnly neither
  // creates nor changes anything.
  FrameStore(const std::string& path, Access access);
  ~FrameStore();
  FrameStore(const FrameStore&) = delete;
  FrameStore& operator=(const FrameStore&) = delete;

  // The frame stored under key, as stored, or none. A row whose values are
  // not whole numbers of the frame's range counts as none.
  std::optional<PhotoFrame> find(const FrameKey& key);
  // Stores frame under key, in place of any frame stored there, with the time.
  void save(const FrameKey& key, const PhotoFrame& frame);

 private:
  using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;
  [[noreturn]] void fail(int code) const;
  void execute(const char* sql);
  // The statement made from sql, the key bound as its parameters 1 to 3.
  Statement statementFor(const char* sql, const FrameKey& key);

  std::string path_;
  sqlite3* db_ = nullptr;
  bool hasTable_ = true;
};

// A run's use of the store, by the settings' rememberFrames: opened at the
// first photo that needs it. The first failure is told once through warn and
// ends the use for the rest of the run, which goes on as without it.
class RememberedFrames {
 public:
  using Warn = std::function<void(const std::string& text)>;
  RememberedFrames(const JobSettings& settings, Warn warn);
  ~RememberedFrames();

  bool inUse() const { return settings_.rememberFrames != FrameMemory::Off && !failed_; }
  // The frame stored under key where it stands on the width x height photo
  // (frameUsable); none otherwise.
  std::optional<FramedPart> recall(const FrameKey& key, std::int32_t width, std::int32_t height);
  // Stores the frame "OK/NEXT" committed on the photo, where it stands on it:
  // a frame reaching outside a photo smaller than the frame is not kept.
  void remember(const FrameKey& key, const FramedPart& part, std::int32_t width,
                std::int32_t height);

 private:
  FrameStore* store();
  void failWith(const std::string& message);

  const JobSettings& settings_;
  Warn warn_;
  std::unique_ptr<FrameStore> store_;
  bool failed_ = false;
};

// The key of a photo whose bytes have the digest, for the settings' target;
// upright when the run turned it (its applied EXIF orientation is not 1).
FrameKey frameKeyOf(std::string digest, const JobSettings& settings, int appliedOrientation);

}  // namespace batchfit
