#include "image/MemoryLimit.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

namespace batchfit {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t Unlimited = std::numeric_limits<std::uint64_t>::max();

std::atomic<std::uint64_t> injectedLimit{0};
// 0 until the first measurement; a measured limit is at least 1.
std::atomic<std::uint64_t> measuredLimit{0};

std::vector<std::string> linesOf(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::optional<std::uint64_t> numberIn(const std::string& text) {
  std::istringstream fields(text);
  std::uint64_t value = 0;
  if (fields >> value) return value;
  return std::nullopt;
}

// The number that follows key on the line that starts with it ("MemAvailable:",
// "inactive_file ").
std::optional<std::uint64_t> fieldOf(const std::vector<std::string>& lines,
                                     const std::string& key) {
  for (const std::string& line : lines) {
    if (line.rfind(key, 0) == 0) return numberIn(line.substr(key.size()));
  }
  return std::nullopt;
}

// A file that holds one number; none for "max" (no limit) or no such file.
std::optional<std::uint64_t> numberInFile(const fs::path& path) {
  const std::vector<std::string> lines = linesOf(path);
  return lines.empty() ? std::nullopt : numberIn(lines.front());
}

// The machine's own figure, from the kernel's estimate when it gives one.
std::uint64_t machineAvailable(const std::string& root) {
  if (const auto kib = fieldOf(linesOf(root + "/proc/meminfo"), "MemAvailable:")) {
    return *kib * 1024;
  }
  const long pages = sysconf(_SC_AVPHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  if (pages > 0 && pageSize > 0) return std::uint64_t(pages) * std::uint64_t(pageSize);
  return Unlimited;
}

// The file names of one cgroup version's memory controller.
struct MemoryController {
  bool v2;
  const char* limitFile;
  const char* usageFile;
  const char* inactiveFileKey;  // in memory.stat, counting the cgroups below
};
constexpr MemoryController V2{true, "memory.max", "memory.current", "inactive_file "};
constexpr MemoryController V1{false, "memory.limit_in_bytes", "memory.usage_in_bytes",
                              "total_inactive_file "};

bool hasItem(const std::string& commaList, const std::string& item) {
  return ("," + commaList + ",").find("," + item + ",") != std::string::npos;
}

// Whether the line of /proc/self/cgroup ("id:controllers:path") names this
// controller's hierarchy; its path goes to path.
bool namesController(const std::string& line, const MemoryController& c, std::string& path) {
  const std::size_t first = line.find(':');
  const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
  if (second == std::string::npos) return false;
  path = line.substr(second + 1);
  if (c.v2) return line.compare(0, second + 1, "0::") == 0;
  return hasItem(line.substr(first + 1, second - first - 1), "memory");
}

// Where the hierarchy is mounted (a line of /proc/self/mountinfo: its root
// and mount point, and after " - " the file system type and options).
bool mountsController(const std::string& line, const MemoryController& c, std::string& root,
                      std::string& mountPoint) {
  const std::size_t dash = line.find(" - ");
  if (dash == std::string::npos) return false;
  std::istringstream before(line.substr(0, dash)), after(line.substr(dash + 3));
  std::string id, parent, device, type, source, options;
  before >> id >> parent >> device >> root >> mountPoint;
  after >> type >> source >> options;
  if (c.v2) return type == "cgroup2";
  return type == "cgroup" && hasItem(options, "memory");
}

// The folder of the process's cgroup in the hierarchy, and the hierarchy's
// top folder; none where the process's cgroup lies outside what is mounted.
std::optional<std::pair<fs::path, fs::path>> cgroupFolder(const std::string& root,
                                                          const MemoryController& c) {
  std::string path;
  const std::vector<std::string> own = linesOf(root + "/proc/self/cgroup");
  if (std::none_of(own.begin(), own.end(),
                   [&](const auto& l) { return namesController(l, c, path); })) {
    return std::nullopt;
  }
  for (const std::string& line : linesOf(root + "/proc/self/mountinfo")) {
    std::string mountRoot, mountPoint;
    if (!mountsController(line, c, mountRoot, mountPoint)) continue;
    if (mountRoot == "/") mountRoot.clear();
    const bool inside = path.rfind(mountRoot, 0) == 0 &&
                        (path.size() == mountRoot.size() || path[mountRoot.size()] == '/');
    std::string below = path.substr(std::min(path.size(), mountRoot.size()));
    if (!inside || below.find("/..") != std::string::npos) return std::nullopt;
    if (below == "/") below.clear();  // the top itself
    const fs::path top = root + mountPoint;
    return std::pair(fs::path(top.string() + below).lexically_normal(), top.lexically_normal());
  }
  return std::nullopt;
}

// The room the tightest limit leaves, from the process's cgroup up to the top.
std::uint64_t cgroupRoom(const std::string& root, const MemoryController& c) {
  const auto folders = cgroupFolder(root, c);
  if (!folders) return Unlimited;
  std::uint64_t room = Unlimited;
  for (fs::path folder = folders->first;; folder = folder.parent_path()) {
    if (const auto limit = numberInFile(folder / c.limitFile)) {
      const std::uint64_t usage = numberInFile(folder / c.usageFile).value_or(0);
      const std::uint64_t idle =
          fieldOf(linesOf(folder / "memory.stat"), c.inactiveFileKey).value_or(0);
      const std::uint64_t used = usage - std::min(usage, idle);
      room = std::min(room, *limit - std::min(*limit, used));
    }
    if (folder == folders->second || !folder.has_relative_path()) break;
  }
  return room;
}

}  // namespace

std::uint64_t availableMemory(const std::string& root) {
  return std::min({machineAvailable(root), cgroupRoom(root, V2), cgroupRoom(root, V1)});
}

void measureAvailableMemory() {
  measuredLimit = std::max<std::uint64_t>(availableMemory() / 4, 1);
}

void setSurfaceMemoryLimit(std::uint64_t bytes) {
  injectedLimit = bytes;
}

std::uint64_t surfaceMemoryLimit() {
  if (const std::uint64_t bytes = injectedLimit) return bytes;
  if (measuredLimit == 0) measureAvailableMemory();
  return measuredLimit;
}

}  // namespace batchfit
