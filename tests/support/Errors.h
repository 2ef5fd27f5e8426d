// What tests check of failures: the message of the error a call raises, and
// the limits under which a test makes memory or the disk run out.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <cstdint>
#include <string>

#include "image/Error.h"
#include "image/MemoryLimit.h"

namespace testpics {

// The message of the batchfit::Error that f raises, or "(no error)".
template <class F>
std::string messageOf(F&& f) {
  try {
    f();
  } catch (const batchfit::Error& e) {
    return e.what();
  }
  return "(no error)";
}

// The message of libjpeg's error with this code.
inline std::string jpegError(int code) {
  return "JPEG error #" + std::to_string(code);
}

// A memory limit for pictures while it lives; then the measured one again.
class MemoryLimitGuard {
 public:
  explicit MemoryLimitGuard(std::uint64_t bytes) { batchfit::setSurfaceMemoryLimit(bytes); }
  ~MemoryLimitGuard() { batchfit::setSurfaceMemoryLimit(0); }
  MemoryLimitGuard(const MemoryLimitGuard&) = delete;
  MemoryLimitGuard& operator=(const MemoryLimitGuard&) = delete;
};

// Caps the size of files this process may write while it lives, as a full
// disk would stop a regular file: writes beyond the cap fail instead of
// raising a signal.
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = signal(SIGXFSZ, SIG_IGN);
    const rlimit cap{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &cap);
  }
  ~FileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previousHandler_);
  }
  FileSizeCap(const FileSizeCap&) = delete;
  FileSizeCap& operator=(const FileSizeCap&) = delete;

 private:
  rlimit saved_{};
  sighandler_t previousHandler_ = nullptr;
};

}  // namespace testpics
