// Picture files made byte by byte for the tests and the fuzz seed corpus:
// every BMP header kind, icons, metafiles, and JPEGs patched or cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace crafted {

using Bytes = std::vector<std::uint8_t>;

// Writes the low `size` bytes of v at `at`, little-endian, growing the bytes
// as needed; reads them back.
void put(Bytes& bytes, std::size_t at, std::uint32_t v, int size);
std::uint32_t field(const Bytes& bytes, std::size_t at, int size);

// The info header kinds a BMP file may carry after its 14-byte file header.
enum class BmpHeader { Core12, Info40, V4_108, V5_124 };

// A complete BMP of the given size and depth (1, 4, 8, 24 or 32 bits; a colour
// table where the depth needs one). topDown stores a negative height.
Bytes makeBmp(int width, int height, int bitsPerPixel = 24, BmpHeader header = BmpHeader::Info40,
              bool topDown = false);

// An icon file holding one image per size given (each 1..256), as 32-bit DIBs.
Bytes makeIcon(const std::vector<int>& sizes);

// A placeable Windows metafile whose bounding box runs from (left, top) to
// (right, bottom) in units of 1 / unitsPerInch inch, and one without the
// placeable header that states its size by a SetWindowExt record after a
// SetMapMode one (by none when width is 0).
Bytes makePlaceableWmf(int left, int top, int right, int bottom, int unitsPerInch = 1440);
Bytes makePlainWmf(int width, int height);

// An enhanced metafile whose frame is frameWidth x frameHeight hundredths of
// a millimetre.
Bytes makeEmf(int frameWidth, int frameHeight);

// The JPEG with its frame header changed to claim width x height pixels; the
// image data stay those of the original picture.
Bytes withJpegSize(Bytes jpeg, std::uint16_t width, std::uint16_t height);

// The JPEG with its first Huffman table made impossible (two codes of length
// one), so the header reads fine and decoding fails at its start.
Bytes withBadHuffmanTable(Bytes jpeg);

// EXIF data as a TIFF structure whose first image directory holds an
// ImageWidth entry and then the Orientation tag with the given value.
Bytes exifTiff(std::uint16_t orientation, bool bigEndian = false);
// The JPEG with an EXIF APP1 segment after its JFIF one, whose first image
// directory holds an ImageWidth entry and then the Orientation tag with the
// given value, in Motorola (big-endian) or Intel byte order.
Bytes withExifOrientation(const Bytes& jpeg, std::uint16_t orientation, bool bigEndian = false);

// The first `percent` per cent of the bytes (rounded down).
Bytes cutTo(const Bytes& bytes, int percent);

// The offset of the first scan's data (just past the SOS segment).
std::size_t scanDataOffset(const Bytes& jpeg);

}  // namespace crafted
