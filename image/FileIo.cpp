#include "image/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "image/Error.h"
#include "image/Trash.h"

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

// Whether the owner and group of the file replaced must be kept, or only
// where they can be.
enum class Owner { Required, WherePossible };

// Gives a new file the owner, group and mode of the one it replaces; false
// where the owner or group cannot be kept (not ours to give away).
bool takeOver(int fd, const struct stat& old) {
  const bool ownerKept = ::fchown(fd, old.st_uid, old.st_gid) == 0;
  return ::fchmod(fd, old.st_mode & 07777) == 0 && ownerKept;
}

// Writes the bytes to a new file beside the old one, with the old one's
// owner, group and mode, which then takes its name: until then the old file
// is whole, so a full disk never costs it. 0 when done; otherwise the error
// of the step that failed (the folder takes no new file or refuses the
// rename, there is no room for both, the owner cannot be kept), and
// everything is as it was.
int replaceWhole(const std::string& path, const struct stat& old, Owner owner,
                 const std::vector<std::uint8_t>& bytes) {
  std::string successor = path + ".XXXXXX";
  const int fd = ::mkostemp(successor.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int failure = 0;
  if (!takeOver(fd, old) && owner == Owner::Required) failure = errno;
  if (failure == 0) failure = writeAll(fd, bytes);
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(successor.c_str(), path.c_str()) != 0) failure = errno;
  if (failure != 0) ::unlink(successor.c_str());
  return failure;
}

// Writes the bytes into the file just opened at path as fd, and closes it.
void writeInto(int fd, const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const bool regular = isRegularFile(fd);
  const bool written = writeAll(fd, bytes) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed) return;
  // A short file must not pass for a written one; a device or pipe is not ours to remove.
  if (regular) ::unlink(path.c_str());
  throw Error("Stream write error");
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
  writeInto(fd, path, bytes);
}

// Writes the bytes as a new file where the old one was, with its owner,
// group and mode where they can be kept.
void writeAfresh(const std::string& path, const struct stat& old,
                 const std::vector<std::uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) throwCannotCreate(path, errno);
  takeOver(fd, old);
  writeInto(fd, path, bytes);
}

bool reachesPhoto(const Destination& destination, const std::set<FileIdentity>& photos) {
  if (!destination.exists || photos.empty()) return false;
  const std::optional<FileIdentity> reached = plainFileIdentity(destination.path);
  return reached && photos.count(*reached) != 0;
}

// A photo is never written over, not even through a link or a second name:
// what the path holds goes to the trash first, or where the trash cannot take
// it, a complete new file takes its name; failing both, it stays as it was.
// True when it went to the trash.
bool replacePhoto(const Destination& destination, const std::vector<std::uint8_t>& bytes) {
  const std::string& path = destination.path;
  // One we may not write fails as writing it in place would.
  if (::access(path.c_str(), W_OK) != 0) throwCannotCreate(path, errno);
  struct stat photo {};
  ::stat(path.c_str(), &photo);
  const std::optional<std::string> trashRefused = moveToTrash(path);
  if (!trashRefused) {
    writeAfresh(path, photo, bytes);
    return true;
  }
  const int failure = replaceWhole(path, photo, Owner::WherePossible, bytes);
  if (failure == 0) return false;
  throw Error(formatMessage(
      "Cannot replace photo \"%s\": the trash cannot take it (%s), and a new file cannot take "
      "its place (%s)",
      {absolutePath(path), *trashRefused, systemErrorText(failure)}));
}

}  // namespace

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    const std::set<FileIdentity>& photos) {
  const Destination destination = examine(path);
  if (isLink(destination) && !mayFollow(destination)) throwCannotCreate(path, EACCES);
  if (reachesPhoto(destination, photos)) return replacePhoto(destination, bytes);
  // Where the old file cannot be kept whole, it is written in place.
  if (replaceableWhole(destination) &&
      replaceWhole(path, destination.entry, Owner::Required, bytes) == 0) {
    return false;
  }
  writeInPlace(destination, bytes);
  return false;
}

}  // namespace batchfit
