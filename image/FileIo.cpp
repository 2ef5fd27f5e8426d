#include "FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

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

// Writes all bytes; 0, or the error when the device takes fewer or fails.
int writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    done += std::size_t(n);
  }
  return 0;
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

[[noreturn]] void throwCannotCreate(const std::string& path, int errorNumber) {
  throw Error(formatMessage("Cannot create file \"%s\". %s",
                            {absolutePath(path), systemErrorText(errorNumber)}));
}

// What an output's name holds before the output is written, and in what folder.
struct Destination {
  const std::string& path;
  bool exists = false;
  struct stat entry {};  // the name itself, a link not followed
  // A sticky folder that every user may write, such as /tmp.
  bool sharedFolder = false;
  uid_t folderOwner = 0;
};

Destination examine(const std::string& path) {
  Destination destination{path};
  destination.exists = ::lstat(path.c_str(), &destination.entry) == 0;
  const std::string folder = std::filesystem::path(path).parent_path().string();
  struct stat info {};
  if (::stat(folder.empty() ? "." : folder.c_str(), &info) == 0) {
    destination.sharedFolder = (info.st_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
    destination.folderOwner = info.st_uid;
  }
  return destination;
}

bool isLink(const Destination& destination) {
  return destination.exists && S_ISLNK(destination.entry.st_mode);
}

// The kernel's rule for protected links, kept whether the kernel keeps it or
// not: in a shared folder a link is followed only where it is ours or the
// folder owner's, since anyone else may have planted it to have us write
// over a file of ours.
bool mayFollow(const Destination& destination) {
  const uid_t owner = destination.entry.st_uid;
  return !destination.sharedFolder || owner == ::geteuid() || owner == destination.folderOwner;
}

// A plain file of one name, that we may write: one that a new file may replace whole.
bool replaceableWhole(const Destination& destination) {
  return destination.exists && S_ISREG(destination.entry.st_mode) &&
         destination.entry.st_nlink == 1 && ::access(destination.path.c_str(), W_OK) == 0;
}

// How replacing a file whole failed: in writing the bytes, or in making the
// new file take the old one's place; and why.
struct Failure {
  enum Step { None, Create, Write } step = None;
  int error = 0;
  explicit operator bool() const { return step != None; }
};

// Whether the owner and group of the file replaced must be kept, or only
// where they can be.
enum class Owner { Required, WherePossible };

// Writes the bytes to a new file beside the old one, with the old one's
// owner, group and mode, which then takes its name: until then the old file
// is whole, so a full disk never costs it. On failure (the folder takes no
// new file or refuses the rename, there is no room for both, the owner
// cannot be kept) everything is as it was.
Failure replaceWhole(const std::string& path, const struct stat& old, Owner owner,
                     const std::vector<std::uint8_t>& bytes) {
  std::string successor = path + ".XXXXXX";
  const int fd = ::mkostemp(successor.data(), O_CLOEXEC);
  if (fd < 0) return {Failure::Create, errno};
  Failure failure;
  const bool ownerKept = ::fchown(fd, old.st_uid, old.st_gid) == 0;
  if ((!ownerKept && owner == Owner::Required) || ::fchmod(fd, old.st_mode & 07777) != 0) {
    failure = {Failure::Create, errno};
  } else if (const int error = writeAll(fd, bytes)) {
    failure = {Failure::Write, error};
  }
  if (::close(fd) != 0 && !failure) failure = {Failure::Write, errno};
  if (!failure && ::rename(successor.c_str(), path.c_str()) != 0) {
    failure = {Failure::Create, errno};
  }
  if (failure) ::unlink(successor.c_str());
  return failure;
}

// Creates the file or empties the one there, and writes the bytes. In a
// shared folder only a link found fit to follow is followed: one planted
// since is refused as the kernel would refuse it.
void writeInPlace(const Destination& destination, const std::vector<std::uint8_t>& bytes) {
  const std::string& path = destination.path;
  const bool noFollow = destination.sharedFolder && !isLink(destination);
  const int fd = ::open(
      path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0), 0666);
  if (fd < 0) throwCannotCreate(path, noFollow && errno == ELOOP ? EACCES : errno);
  const bool regular = isRegularFile(fd);
  const bool written = writeAll(fd, bytes) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed) return;
  // A short file must not pass for a written one; a device or pipe is not ours to remove.
  if (regular) ::unlink(path.c_str());
  throw Error("Stream write error");
}

bool reachesPhoto(const Destination& destination, const std::set<FileIdentity>& photos) {
  if (!destination.exists || photos.empty()) return false;
  const std::optional<FileIdentity> reached = plainFileIdentity(destination.path);
  return reached && photos.count(*reached) != 0;
}

// A photo is never written over, not even through a link or a second name:
// only a complete new file takes the name.
void replacePhoto(const Destination& destination, const std::vector<std::uint8_t>& bytes) {
  // One we may not write fails as writing it in place would.
  if (::access(destination.path.c_str(), W_OK) != 0) throwCannotCreate(destination.path, errno);
  struct stat photo {};
  ::stat(destination.path.c_str(), &photo);
  const Failure failure = replaceWhole(destination.path, photo, Owner::WherePossible, bytes);
  if (failure.step == Failure::Write) throw Error("Stream write error");
  if (failure) throwCannotCreate(destination.path, failure.error);
}

}  // namespace

void writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    const std::set<FileIdentity>& photos) {
  const Destination destination = examine(path);
  if (isLink(destination) && !mayFollow(destination)) throwCannotCreate(path, EACCES);
  if (reachesPhoto(destination, photos)) return replacePhoto(destination, bytes);
  // Where the old file cannot be kept whole, it is written in place.
  if (replaceableWhole(destination) &&
      !replaceWhole(path, destination.entry, Owner::Required, bytes)) {
    return;
  }
  writeInPlace(destination, bytes);
}

}  // namespace batchfit
