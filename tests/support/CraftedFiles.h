// Hand-made and damaged picture files for the fault tests and the fuzz seed
// corpus: every BMP header kind, icons, metafiles, and JPEGs patched or cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace crafted {

using Bytes = std::vector<std::uint8_t>;

// The info header kinds a BMP file may carry after its 14-byte file header.
enum class BmpHeader { Core12, Info40, V4_108, V5_124 };

// A complete BMP of the given size and depth (1, 4, 8, 24 or 32 bits; a colour
// table where the depth needs one). topDown stores a negative height.
Bytes makeBmp(BmpHeader header, int width, int height, int bitsPerPixel, bool topDown = false);

// An icon file holding one image per size given (each 1..256), as 32-bit DIBs.
Bytes makeIcon(const std::vector<int>& sizes);

// A placeable Windows metafile whose bounding box is width x height units at
// 1440 units per inch, and one without the placeable header that states its
// size by a SetWindowExt record.
Bytes makePlaceableWmf(int width, int height);
Bytes makePlainWmf(int width, int height);

// An enhanced metafile whose bounds are width x height device pixels.
Bytes makeEmf(int width, int height);

// The JPEG with its frame header changed to claim width x height pixels; the
// image data stay those of the original picture.
Bytes withJpegSize(Bytes jpeg, std::uint16_t width, std::uint16_t height);

// The JPEG with its first Huffman table made impossible (two codes of length
// one), so the header reads fine and decoding fails at its start.
Bytes withBadHuffmanTable(Bytes jpeg);

// The JPEG with an EXIF APP1 segment after its JFIF one, whose first image
// directory holds an ImageWidth entry and then the Orientation tag with the
// given value, in Motorola (big-endian) or Intel byte order.
Bytes withExifOrientation(const Bytes& jpeg, std::uint16_t orientation, bool bigEndian = false);

// The first `percent` per cent of the bytes (rounded down).
Bytes cutTo(const Bytes& bytes, int percent);

// The offset of the first scan's data (just past the SOS segment).
std::size_t scanDataOffset(const Bytes& jpeg);

}  // namespace crafted
