// Photos in the formats beside JPEG, written in the tests with each format's
// own library encoder from a surface's pixels (and an alpha pattern).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "image/PixelSurface.h"

namespace photofiles {

using Bytes = std::vector<std::uint8_t>;
// The alpha of pixel (x, y); none means opaque.
using AlphaFn = std::function<std::uint8_t(int x, int y)>;

// The surface's pixels laid over white by the alpha, as a reader must give them.
batchfit::PixelSurface overWhite(const batchfit::PixelSurface& pixels, const AlphaFn& alpha);

enum class PngColour { Rgb, Gray, Palette, GrayAlpha, RgbAlpha };
struct PngOptions {
  PngColour colour = PngColour::Rgb;
  int bitDepth = 8;  // 8 or 16 (Palette: 8)
  bool interlaced = false;
  int orientation = 0;  // an eXIf chunk with this tag, none for 0
  Bytes iccProfile;     // an iCCP chunk, none where empty
  AlphaFn alpha;        // for the alpha colour types
};
// Gray takes the red channel; Palette needs at most 256 colours.
Bytes writePng(const batchfit::PixelSurface& pixels, const PngOptions& options = {});
// A decompression bomb: a PNG whose header claims width x height, cut after
// its first row.
Bytes pngBomb(std::uint32_t width, std::uint32_t height);

struct TiffOptions {
  bool gray = false;      // the red channel
  int bitsPerSample = 8;  // 8 or 16
  bool tiled = false;
  int orientation = 0;  // the Orientation tag, none for 0
  Bytes iccProfile;
  AlphaFn alpha;  // an unassociated alpha channel
  int pages = 1;  // the later pages all black
};
Bytes writeTiff(const batchfit::PixelSurface& pixels, const TiffOptions& options = {});

struct WebpOptions {
  bool lossless = true;
  int quality = 90;     // lossy
  int orientation = 0;  // an EXIF chunk with this tag, none for 0
  Bytes iccProfile;     // an ICCP chunk
  AlphaFn alpha;
};
Bytes writeWebp(const batchfit::PixelSurface& pixels, const WebpOptions& options = {});

// An RGB profile of sRGB's white, curve and primaries, but for red and green
// trading places: its pixel (r, g, b) is sRGB's (g, r, b). Made with lcms2.
Bytes swappedRedGreenProfile();
// The JPEG with the profile in an "ICC_PROFILE" APP2 segment after its JFIF one.
Bytes withJpegIccProfile(const Bytes& jpeg, const Bytes& profile);

enum class HeifCodec { Hevc, Av1 };
struct HeifOptions {
  HeifCodec codec = HeifCodec::Hevc;
  int quality = 90;
  int orientation = 0;  // irot/imir boxes for this EXIF orientation, none for 0
  Bytes iccProfile;     // a colr box of type prof
  int images = 1;       // the later ones all black; the first is primary
};
Bytes writeHeif(const batchfit::PixelSurface& pixels, const HeifOptions& options = {});

}  // namespace photofiles
