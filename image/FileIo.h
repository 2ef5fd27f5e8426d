// Whole-file reading and writing with the user-facing messages for failures.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace batchfit {

// The path made absolute against the current folder (for messages).
std::string absolutePath(const std::string& path);

// The operating system's text for an error number, with trailing blanks,
// control characters and full stops removed.
std::string systemErrorText(int errorNumber);

// A plain file as the file system knows it: the same whatever name reaches it
// (a second hard link, a symbolic link, another spelling of the path).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the plain file that the path reaches, links followed; none
// when there is no such file (missing, a folder, a device).
std::optional<FileIdentity> plainFileIdentity(const std::string& path);

// A file opened for reading. Opening throws "Cannot open file "%s". %s", also
// for a folder or another thing that is no regular file.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  // Replaces bytes with the rest of the file, reusing their capacity. Throws
  // "Stream read error" when reading fails.
  void readAll(std::vector<std::uint8_t>& bytes);
  // Adds to bytes until they hold size bytes or the file ends; true when it
  // ended. Throws "Stream read error" when reading fails.
  bool readUpTo(std::vector<std::uint8_t>& bytes, std::size_t size);

 private:
  int fd_ = -1;
};

// Reads the whole file. Throws "Cannot open file "%s". %s" when it cannot be
// opened, "Stream read error" when reading fails.
std::vector<std::uint8_t> readWholeFile(const std::string& path);

// Creates or empties the file and writes all bytes. Throws
// "Cannot create file "%s". %s" when it cannot be created, and
// "Stream write error" when the device does not take every byte; a file cut
// short that way is removed rather than left looking written. A plain file
// being replaced keeps its old bytes until the new ones are all written
// (where the folder and the disk allow a new file beside it, and with its
// owner, group and mode); otherwise it is written in place. A file among
// photos, however the path reaches it, is never written over: what the path
// holds goes to the desktop's trash first, or where the trash cannot take
// it, is replaced whole; failing both, it stays as it was and the write
// fails with "Cannot replace photo "%s": the trash cannot take it (%s), and a
// new file cannot take its place (%s)". True when a photo went to the trash.
bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    const std::set<FileIdentity>& photos = {});

}  // namespace batchfit
