#include "FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "Error.h"

namespace batchfit {

namespace {

bool isTrimmed(char c) {
  return c == '.' || static_cast<unsigned char>(c) <= ' ' || c == 0x7F;
}

[[noreturn]] void throwCannotOpen(const std::string& path, const std::string& reason) {
  throw Error(formatMessage("Cannot open file \"%s\". %s", {absolutePath(path), reason}));
}

// Open for reading without waiting: a named pipe with no writer must not hang the run.
int openForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throwCannotOpen(path, systemErrorText(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int reason = S_ISDIR(info.st_mode) ? EISDIR : 0;
    ::close(fd);
    // Devices and pipes may never end; only plain files are pictures.
    throwCannotOpen(path, reason ? systemErrorText(reason) : "Not a regular file");
  }
  return fd;
}

std::size_t fileSize(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 ? std::size_t(info.st_size) : 0;
}

// Writes all bytes; false when the device takes fewer or fails.
bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

bool isRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string absolutePath(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  return absolute.empty() ? path : absolute.lexically_normal().string();
}

std::string systemErrorText(int errorNumber) {
  std::string text = std::strerror(errorNumber);
  while (!text.empty() && isTrimmed(text.back())) text.pop_back();
  return text;
}

std::optional<FileIdentity> plainFileIdentity(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return FileIdentity{std::uint64_t(info.st_dev), std::uint64_t(info.st_ino)};
}

InputFile::InputFile(const std::string& path) : fd_(openForReading(path)) {}

InputFile::~InputFile() {
  ::close(fd_);
}

void InputFile::readAll(std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  // Past the stated size, in case the file grew since; the true end stops it.
  std::size_t want = fileSize(fd_) + 1;
  while (!readUpTo(bytes, want)) want *= 2;
}

bool InputFile::readUpTo(std::vector<std::uint8_t>& bytes, std::size_t size) {
  std::size_t done = bytes.size();
  bytes.resize(size);
  while (done < size) {
    const ssize_t n = ::read(fd_, bytes.data() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Error("Stream read error");
    if (n == 0) break;
    done += std::size_t(n);
  }
  bytes.resize(done);
  return done < size;
}

std::vector<std::uint8_t> readWholeFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  InputFile(path).readAll(bytes);
  return bytes;
}

namespace {

// Replaces an existing plain file only once its successor is complete: the
// bytes go to a new file beside it, which then takes its name. A full disk
// thus never costs the file an output replaces, which may be the input
// itself. False, touching nothing, when the path is no such file (or is a
// second name of one, or not ours to write, or the folder takes no new file):
// the caller then writes in place.
bool replaceWhole(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode) ||
      existing.st_nlink != 1 || ::access(path.c_str(), W_OK) != 0) {
    return false;
  }
  std::string successor = path + ".XXXXXX";
  const int fd = ::mkostemp(successor.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = ::fchmod(fd, existing.st_mode & 07777) == 0 && writeAll(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (written && closed && ::rename(successor.c_str(), path.c_str()) == 0) return true;
  ::unlink(successor.c_str());
  throw Error("Stream write error");
}

}  // namespace

void writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  if (replaceWhole(path, bytes)) return;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    throw Error(formatMessage("Cannot create file \"%s\". %s",
                              {absolutePath(path), systemErrorText(errno)}));
  }
  const bool regular = isRegularFile(fd);
  const bool written = writeAll(fd, bytes);
  const bool closed = ::close(fd) == 0;
  if (written && closed) return;
  // A short file must not pass for a written one; a device or pipe is not ours to remove.
  if (regular) ::unlink(path.c_str());
  throw Error("Stream write error");
}

}  // namespace batchfit
