// Test pictures made in the tests themselves: JPEG files written with libjpeg
// directly (independent of batchfit's own encoder); files and temp folders.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct jpeg_compress_struct;
struct jpeg_decompress_struct;

namespace testpics {

struct Rgb {
  std::uint8_t r, g, b;
};

// A pixel pattern: colour of (x, y).
using Pattern = std::function<Rgb(int x, int y)>;

// A pattern whose every pixel differs from its neighbours, to check sampling.
Rgb gradient(int x, int y);
// Noise over hard colour edges: every 8 x 8 block has high frequencies and
// colour conversion clips, so a row or block decoded wrongly shows.
Rgb busy(int x, int y);

// Progressive444 is progressive without subsampling: every component at full size.
enum class JpegKind { Baseline, Progressive, Progressive444, Gray, Cmyk };

// The bytes libjpeg writes for a width x height picture of `components`
// samples a pixel in colour space `inSpace` (a J_COLOR_SPACE): `configure`
// sets what the defaults leave open, `fillRow` writes the samples of row y.
std::vector<std::uint8_t> compressJpeg(
    int width, int height, int components, int inSpace,
    const std::function<void(jpeg_compress_struct&)>& configure,
    const std::function<void(int y, std::vector<std::uint8_t>& row)>& fillRow);

// Opens libjpeg's own decompressor on the bytes, reads the header and hands
// the decompressor to use, which may decode on; destroys it afterwards.
void decompressJpeg(const std::vector<std::uint8_t>& bytes,
                    const std::function<void(jpeg_decompress_struct&)>& use);

// JPEG bytes of a width x height picture (quality 95 unless given).
std::vector<std::uint8_t> makeJpeg(int width, int height, JpegKind kind = JpegKind::Baseline,
                                   const Pattern& pattern = gradient, int quality = 95);

// JPEG bytes of a colour picture of the pattern, with what `configure` sets
// beyond libjpeg's defaults (quality, sampling factors, scans, restarts).
std::vector<std::uint8_t> makeColourJpeg(
    int width, int height, const Pattern& pattern,
    const std::function<void(jpeg_compress_struct&)>& configure);

// How the samples of makeRawJpeg are stored.
enum class Samples {
  AdobeCmyk,    // inverted CMYK with an Adobe marker, as Photoshop writes it
  PlainCmyk,    // CMYK without an Adobe marker: 255 is full ink
  Ycck,         // inverted CMYK samples, stored as YCCK
  TwoComponent  // two components of no known colour space
};
using SampleFn = std::function<std::array<std::uint8_t, 4>(int x, int y)>;

// A JPEG at quality 100 whose pixel (x, y) has the given samples.
std::vector<std::uint8_t> makeRawJpeg(int width, int height, Samples kind, const SampleFn& samples);

// Whether a test may cap its process's address space: not under the
// sanitizers, which reserve terabytes of it.
bool canCapAddressSpace();

std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
// The names of the entries of a folder, sorted.
std::vector<std::string> fileNames(const std::filesystem::path& folder);

// The desktop's trash of this test process. Every test process has a home of
// its own in the temp folder, on the file system of every TempDir, so that
// no run under test moves a file into the trash of whoever runs the tests.
std::filesystem::path trashFolder();

// A fresh folder under the system's temp folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // path / name, as a string.
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace testpics
