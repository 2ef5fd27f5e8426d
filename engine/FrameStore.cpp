#include "engine/FrameStore.h"

#include <nettle/sha2.h>
#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <numeric>

#include "image/Error.h"
#include "image/FileIo.h"

namespace batchfit {

std::string photoDigest(const std::vector<std::uint8_t>& bytes) {
  sha256_ctx context;
  sha256_init(&context);
  sha256_update(&context, bytes.size(), bytes.data());
  std::uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&context, sizeof digest, digest);
  static constexpr char Hex[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : digest) {
    text += Hex[byte >> 4];
    text += Hex[byte & 15];
  }
  return text;
}

std::string shapeText(std::int32_t targetWidth, std::int32_t targetHeight) {
  if (targetWidth <= 0 || targetHeight <= 0) return {};
  const std::int32_t divisor = std::gcd(targetWidth, targetHeight);
  return std::to_string(targetWidth / divisor) + ":" + std::to_string(targetHeight / divisor);
}

bool frameUsable(const PhotoFrame& frame, std::int32_t width, std::int32_t height,
                 const JobSettings& settings) {
  const std::int32_t tw = settings.targetWidth;
  const std::int32_t th = settings.targetHeight;
  if (tw <= 0 || th <= 0) return false;
  if (frame.left < 0 || frame.top < 0 || frame.width <= 0 || frame.height <= 0) return false;
  if (std::int64_t(frame.left) + frame.width > width) return false;
  if (std::int64_t(frame.top) + frame.height > height) return false;
  // Nothing is enlarged: a frame smaller than the target, as it lies, was
  // stored for a smaller target of the shape and is no frame for this one.
  if (frame.width < (frame.turned ? th : tw) || frame.height < (frame.turned ? tw : th)) {
    return false;
  }
  // The frame's proportions, across:down in lowest terms.
  const std::int32_t divisor = std::gcd(tw, th);
  const std::int64_t across = (frame.turned ? th : tw) / divisor;
  const std::int64_t down = (frame.turned ? tw : th) / divisor;
  // A frame rounds one side from the other to the nearest pixel: its height
  // from its width is off by at most half a pixel, |height - width * down /
  // across| <= 1/2, and so is a width rounded from the height. Each product
  // is below 2^62, so neither the difference nor its double overflows.
  const std::int64_t off = std::abs(frame.height * across - frame.width * down);
  return 2 * off <= std::max(across, down);
}

std::string defaultFrameStorePath() {
  std::string data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
    data = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* user = getpwuid(getuid());
      home = user ? user->pw_dir : "";
    }
    data = std::string(home) + "/.local/share";
  }
  return data + "/batchfit/frames.sqlite";
}

namespace {

// The table as the README documents it for scripts.
constexpr const char* CreateTable =
    "CREATE TABLE IF NOT EXISTS frames ("
    " photo TEXT NOT NULL, shape TEXT NOT NULL, upright INTEGER NOT NULL,"
    " x INTEGER NOT NULL, y INTEGER NOT NULL, width INTEGER NOT NULL, height INTEGER NOT NULL,"
    " turned INTEGER NOT NULL, saved TEXT NOT NULL,"
    " PRIMARY KEY (photo, shape, upright))";

std::optional<std::int32_t> wholeNumber(sqlite3_stmt* row, int column) {
  if (sqlite3_column_type(row, column) != SQLITE_INTEGER) return std::nullopt;
  const sqlite3_int64 value = sqlite3_column_int64(row, column);
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return std::int32_t(value);
}

}  // namespace

FrameStore::FrameStore(const std::string& path, Access access) : path_(path) {
  if (access == Access::ReadWrite) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error) {
      throw Error(formatMessage("\"%s\" cannot be opened (%s)",
                                {absolutePath(path), systemErrorText(error.value())}));
    }
  }
  const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY
                                               : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  const int opened = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
  // A failed open may still have made a handle, which the destructor, not
  // run for a constructor that throws, would not close.
  try {
    if (opened != SQLITE_OK) fail(opened);
    sqlite3_busy_timeout(db_, FrameStoreWaitMilliseconds);
    if (access == Access::ReadWrite) {
      execute("PRAGMA journal_mode=WAL");
      execute(CreateTable);
    } else {
      // A store no program has written to yet holds no frames.
      sqlite3_stmt* query = nullptr;
      const int made = sqlite3_prepare_v2(
          db_, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'frames'", -1, &query,
          nullptr);
      const Statement owned(query, sqlite3_finalize);
      if (made != SQLITE_OK) fail(made);
      const int stepped = sqlite3_step(query);
      if (stepped != SQLITE_ROW && stepped != SQLITE_DONE) fail(stepped);
      hasTable_ = stepped == SQLITE_ROW;
    }
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

FrameStore::~FrameStore() {
  sqlite3_close(db_);
}

void FrameStore::fail(int code) const {
  const std::string file = "\"" + absolutePath(path_) + "\"";
  const std::string detail = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      throw Error(file + " was kept locked by another program for more than " +
                  std::to_string(FrameStoreWaitMilliseconds / 1000) + " seconds");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_ERROR:  // a table "frames" of another make
    case SQLITE_MISMATCH:
      throw Error(formatMessage("%s is damaged (%s)", {file, detail}));
    default:
      throw Error(formatMessage("%s cannot be opened (%s)", {file, detail}));
  }
}

void FrameStore::execute(const char* sql) {
  const int done = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (done != SQLITE_OK) fail(done);
}

FrameStore::Statement FrameStore::statementFor(const char* sql, const FrameKey& key) {
  sqlite3_stmt* statement = nullptr;
  const int made = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
  Statement owned(statement, sqlite3_finalize);
  if (made != SQLITE_OK) fail(made);
  sqlite3_bind_text(statement, 1, key.photo.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(statement, 2, key.shape.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_int(statement, 3, key.upright ? 1 : 0);
  return owned;
}

std::optional<PhotoFrame> FrameStore::find(const FrameKey& key) {
  if (!hasTable_) return std::nullopt;
  const Statement query = statementFor(
      "SELECT x, y, width, height, turned FROM frames"
      " WHERE photo = ?1 AND shape = ?2 AND upright = ?3",
      key);
  sqlite3_stmt* row = query.get();
  const int stepped = sqlite3_step(row);
  if (stepped == SQLITE_DONE) return std::nullopt;
  if (stepped != SQLITE_ROW) fail(stepped);
  const auto left = wholeNumber(row, 0);
  const auto top = wholeNumber(row, 1);
  const auto width = wholeNumber(row, 2);
  const auto height = wholeNumber(row, 3);
  const auto turned = wholeNumber(row, 4);
  if (!left || !top || !width || !height || !turned || (*turned != 0 && *turned != 1)) {
    return std::nullopt;
  }
  return PhotoFrame{*left, *top, *width, *height, *turned == 1};
}

void FrameStore::save(const FrameKey& key, const PhotoFrame& frame) {
  const Statement statement = statementFor(
      "INSERT OR REPLACE INTO frames (photo, shape, upright, x, y, width, height, turned, saved)"
      " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, strftime('%Y-%m-%dT%H:%M:%SZ', 'now'))",
      key);
  sqlite3_stmt* row = statement.get();
  sqlite3_bind_int(row, 4, frame.left);
  sqlite3_bind_int(row, 5, frame.top);
  sqlite3_bind_int(row, 6, frame.width);
  sqlite3_bind_int(row, 7, frame.height);
  sqlite3_bind_int(row, 8, frame.turned ? 1 : 0);
  const int stepped = sqlite3_step(row);
  if (stepped != SQLITE_DONE) fail(stepped);
}

RememberedFrames::RememberedFrames(const JobSettings& settings, Warn warn)
    : settings_(settings), warn_(std::move(warn)) {}

RememberedFrames::~RememberedFrames() = default;

void RememberedFrames::failWith(const std::string& message) {
  failed_ = true;
  store_.reset();
  warn_("The remembered frames are not used for the rest of this run: " + message);
}

FrameStore* RememberedFrames::store() {
  if (!store_) {
    const std::string path =
        settings_.framesFile.empty() ? defaultFrameStorePath() : settings_.framesFile;
    // A run that only uses the frames neither creates a store nor changes one.
    store_ = std::make_unique<FrameStore>(path, settings_.rememberFrames == FrameMemory::Edit
                                                    ? FrameStore::Access::ReadWrite
                                                    : FrameStore::Access::ReadOnly);
  }
  return store_.get();
}

std::optional<FramedPart> RememberedFrames::recall(const FrameKey& key, std::int32_t width,
                                                   std::int32_t height) {
  if (!inUse() || key.shape.empty()) return std::nullopt;
  try {
    const std::optional<PhotoFrame> frame = store()->find(key);
    // Usable, so its right and bottom edges lie within the photo.
    if (frame && frameUsable(*frame, width, height, settings_)) {
      return FramedPart{
          {frame->left, frame->top, frame->left + frame->width, frame->top + frame->height},
          frame->turned};
    }
  } catch (const Error& error) {
    failWith(error.what());
  }
  return std::nullopt;
}

void RememberedFrames::remember(const FrameKey& key, const FramedPart& part, std::int32_t width,
                                std::int32_t height) {
  if (!inUse() || settings_.rememberFrames != FrameMemory::Edit || key.shape.empty()) return;
  const PhotoFrame frame{part.frame.left, part.frame.top, part.frame.width(), part.frame.height(),
                         part.turned};
  if (!frameUsable(frame, width, height, settings_)) return;
  try {
    store()->save(key, frame);
  } catch (const Error& error) {
    failWith(error.what());
  }
}

FrameKey frameKeyOf(std::string digest, const JobSettings& settings, int appliedOrientation) {
  return {std::move(digest), shapeText(settings.targetWidth, settings.targetHeight),
          appliedOrientation != 1};
}

}  // namespace batchfit
