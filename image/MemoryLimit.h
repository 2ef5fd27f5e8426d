// The memory one picture may take, from what the system can still give the
// process: the machine's available memory, or the room its control group's
// memory limit leaves where that is smaller.
#pragma once

#include <cstdint>
#include <string>

namespace batchfit {

// The most bytes one picture may take while it is decoded: a quarter of the
// memory available at the last measurement, so that the copies a run holds
// of one picture still fit. Tests set their own limit; 0 goes back to the
// measured one.
void setSurfaceMemoryLimit(std::uint64_t bytes);
std::uint64_t surfaceMemoryLimit();

// Measures the available memory afresh; the limit follows it until the next
// measurement. A run measures once at its start, so that every picture of it
// meets the same limit whichever thread decodes it; the first use of the
// limit measures too.
void measureAvailableMemory();

// What the process may still take, in bytes: the kernel's MemAvailable or,
// where smaller, the room under the memory limit of its cgroup and of each
// cgroup above it (v2 memory.max, v1 memory.limit_in_bytes). A cgroup's own
// use counts against its limit, less the file pages it holds but has not
// used lately, which the kernel drops before it runs short. The system's
// files are read below root (tests give a folder of their own).
std::uint64_t availableMemory(const std::string& root = "");

}  // namespace batchfit
