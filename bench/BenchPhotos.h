// The bench's photos: batches of camera-like shots of given sizes and kinds,
// the bare libjpeg decode that the programs are measured against, and the
// run of a measured program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

enum class Kind { Baseline, Progressive, Gray, Baseline422, Baseline444 };

struct Shot {
  int width, height;
  Kind kind;
};

// The JPEG bytes of a camera photo at quality 90: 4:2:0 unless the kind says
// otherwise; shots differ in layout and light.
std::vector<std::uint8_t> makePhoto(const Shot& s, int shot);

// 4000 x 3000 and 3000 x 4000, baseline and progressive, in turn: sixteen,
// since a batch of only a few photos would measure mostly its last one.
std::vector<Shot> twelveMegapixelShots();

// A camera card or a downloads folder: small to 12 megapixels, landscape and
// portrait, baseline (4:2:0, 4:2:2, 4:4:4), progressive and gray.
std::vector<Shot> mixedShots();

// A decode of the whole photo with the run's decoder settings: gray through
// the 236-level dithering quantizer, colour as RGBX; rows into one buffer.
void bareDecode(const std::vector<std::uint8_t>& bytes);

// A measured program: its time, its peak memory as the kernel counts it
// (which includes what its parent held when it spawned it), whether it
// exited with 0.
struct ProcessRun {
  double seconds = 0;
  long peakKiB = 0;
  bool ok = false;
};
ProcessRun runProcess(std::vector<std::string> args);

}  // namespace bench
