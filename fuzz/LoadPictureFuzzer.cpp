// Fuzz target: a file under one extension (FUZZ_EXTENSION), read as the run
// reads a listed file: loaded by its extension for the size test, then read
// as a JPEG stream and decoded. Every failure must be one of the run's errors.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "image/Error.h"
#include "image/JpegObject.h"
#include "image/PictureFile.h"
#include "image/PictureRole.h"
#include "image/PixelSurface.h"

namespace {

using namespace batchfit;

// One scratch file per fuzzing process, in memory where the system has a
// RAM-backed folder.
std::string scratchPath() {
  const std::filesystem::path shm = "/dev/shm";
  const std::filesystem::path folder =
      access(shm.c_str(), W_OK) == 0 ? shm : std::filesystem::temp_directory_path();
  return (folder / ("batchfit-fuzz-" + std::to_string(getpid()) + "." FUZZ_EXTENSION)).string();
}

const std::string& path() {
  static const std::string p = scratchPath();
  return p;
}

void writeScratch(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path().c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
  FUZZ_CHECK(std::fclose(f) == 0);
}

void removeScratch() {
  std::remove(path().c_str());
}

// The steps of one listed file, as the run takes them once it passed the
// size test.
void readAsTheRunDoes(PictureRole& PI) {
  loadPicture(PI, path());
  const std::optional<Picture> declared = PI.picture();
  // Only a bitmap's header may declare a negative width.
  FUZZ_CHECK(declared && declared->height >= 0 &&
             (declared->width >= 0 || declared->kind == PictureKind::Bitmap));

  JpegObject jpeg;
  jpeg.loadFile(path());
  if (declared->kind == PictureKind::Jpeg && !jpeg.bytes().empty()) {
    FUZZ_CHECK(std::uint32_t(declared->width) == jpeg.headerWidth());
    FUZZ_CHECK(std::uint32_t(declared->height) == jpeg.headerHeight());
  }
  loadPicture(PI, path());
  jpeg.decodeTo(PI);
  FUZZ_CHECK(PI.holdsSurface());
  FUZZ_CHECK(std::uint32_t(PI.width()) == jpeg.headerWidth());
  FUZZ_CHECK(std::uint32_t(PI.height()) == jpeg.headerHeight());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A claimed size beyond this must fail cleanly as "Out of system resources".
  setSurfaceMemoryLimit(64u << 20);
  std::atexit(removeScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  writeScratch(data, size);
  PictureRole PI;
  try {
    readAsTheRunDoes(PI);
  } catch (const Error&) {
    // One of the run's messages: the run would end here with it shown.
  }
  return 0;
}
