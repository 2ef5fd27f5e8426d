#include "tests/support/CraftedFiles.h"

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <stdexcept>

namespace crafted {

void put(Bytes& bytes, std::size_t at, std::uint32_t v, int size) {
  if (bytes.size() < at + size) bytes.resize(at + size, 0);
  for (int i = 0; i < size; ++i) bytes[at + i] = std::uint8_t(v >> (8 * i));
}

std::uint32_t field(const Bytes& bytes, std::size_t at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | bytes[at + i];
  return v;
}

namespace {

void append(Bytes& b, std::uint32_t v, int size) {
  put(b, b.size(), v, size);
}

int headerSize(BmpHeader header) {
  switch (header) {
    case BmpHeader::Core12:
      return 12;
    case BmpHeader::Info40:
      return 40;
    case BmpHeader::V4_108:
      return 108;
    default:
      return 124;
  }
}

std::size_t rowBytes(int width, int bitsPerPixel) {
  return (std::size_t(width) * bitsPerPixel + 31) / 32 * 4;
}

// The info header alone (no file header), for BMP files and icon images.
Bytes infoHeader(BmpHeader header, int width, int height, int bitsPerPixel, int colours) {
  Bytes h;
  const int size = headerSize(header);
  append(h, std::uint32_t(size), 4);
  if (header == BmpHeader::Core12) {
    append(h, std::uint32_t(width), 2);
    append(h, std::uint32_t(height), 2);
    append(h, 1, 2);
    append(h, std::uint32_t(bitsPerPixel), 2);
    return h;
  }
  append(h, std::uint32_t(width), 4);
  append(h, std::uint32_t(height), 4);
  append(h, 1, 2);
  append(h, std::uint32_t(bitsPerPixel), 2);
  append(h, 0, 4);  // no compression
  append(h, std::uint32_t(rowBytes(width, bitsPerPixel) * std::abs(height)), 4);
  append(h, 2835, 4);
  append(h, 2835, 4);
  append(h, std::uint32_t(colours), 4);
  append(h, 0, 4);
  h.resize(std::size_t(size), 0);  // V4 and V5 masks and colour space left 0
  return h;
}

// Offset of the segment (at its 0xFF) whose marker satisfies wanted; throws
// when the stream has none before its scan data.
std::size_t findSegment(const Bytes& jpeg, const std::function<bool(std::uint8_t)>& wanted) {
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    const std::uint8_t marker = jpeg[at + 1];
    if (wanted(marker)) return at;
    if (marker == 0xDA) break;
    at += 2 + ((std::size_t(jpeg[at + 2]) << 8) | jpeg[at + 3]);
  }
  throw std::runtime_error("JPEG segment not found");
}

bool isFrameMarker(std::uint8_t m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

}  // namespace

Bytes makeBmp(int width, int height, int bitsPerPixel, BmpHeader header, bool topDown) {
  const int colours = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
  const int entry = header == BmpHeader::Core12 ? 3 : 4;
  const Bytes info = infoHeader(header, width, topDown ? -height : height, bitsPerPixel, colours);
  const std::size_t dataOffset = 14 + info.size() + std::size_t(colours) * entry;
  const std::size_t dataSize = rowBytes(width, bitsPerPixel) * height;
  Bytes b{'B', 'M'};
  append(b, std::uint32_t(dataOffset + dataSize), 4);
  append(b, 0, 4);
  append(b, std::uint32_t(dataOffset), 4);
  b.insert(b.end(), info.begin(), info.end());
  for (int i = 0; i < colours; ++i) {
    const std::uint8_t level = std::uint8_t(i * 255 / (colours - 1));
    for (int c = 0; c < entry; ++c) b.push_back(c < 3 ? level : 0);
  }
  for (std::size_t i = 0; i < dataSize; ++i) b.push_back(std::uint8_t(i * 31));
  return b;
}

Bytes makeIcon(const std::vector<int>& sizes) {
  Bytes b;
  append(b, 0, 2);
  append(b, 1, 2);  // icon, not cursor
  append(b, std::uint32_t(sizes.size()), 2);
  std::vector<Bytes> images;
  for (int size : sizes) {
    // XOR mask (32 bits) and AND mask (1 bit); the DIB height counts both.
    Bytes image = infoHeader(BmpHeader::Info40, size, 2 * size, 32, 0);
    image.resize(image.size() + rowBytes(size, 32) * size + rowBytes(size, 1) * size, 0x40);
    images.push_back(image);
  }
  std::size_t offset = 6 + 16 * sizes.size();
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    append(b, std::uint32_t(sizes[i] & 0xFF), 1);  // 256 is written as 0
    append(b, std::uint32_t(sizes[i] & 0xFF), 1);
    append(b, 0, 2);
    append(b, 1, 2);
    append(b, 32, 2);
    append(b, std::uint32_t(images[i].size()), 4);
    append(b, std::uint32_t(offset), 4);
    offset += images[i].size();
  }
  for (const Bytes& image : images) b.insert(b.end(), image.begin(), image.end());
  return b;
}

namespace {

// The standard metafile header and records: SetMapMode, SetWindowExt (none
// when width is 0), then the end record.
Bytes wmfBody(int width, int height) {
  const bool extent = width != 0;
  Bytes b;
  append(b, 1, 2);       // in memory
  append(b, 9, 2);       // header size in words
  append(b, 0x0300, 2);  // version
  append(b, 9 + 4 + (extent ? 5 : 0) + 3, 4);
  append(b, 0, 2);  // objects
  append(b, 5, 4);  // largest record, in words
  append(b, 0, 2);
  append(b, 4, 4);  // SetMapMode: size in words, function, mode
  append(b, 0x0103, 2);
  append(b, 8, 2);
  if (extent) {
    append(b, 5, 4);  // SetWindowExt: size in words, function, y, x
    append(b, 0x020C, 2);
    append(b, std::uint32_t(height), 2);
    append(b, std::uint32_t(width), 2);
  }
  append(b, 3, 4);  // end of file
  append(b, 0, 2);
  return b;
}

}  // namespace

Bytes makePlaceableWmf(int left, int top, int right, int bottom, int unitsPerInch) {
  Bytes b;
  append(b, 0x9AC6CDD7u, 4);
  append(b, 0, 2);
  for (int edge : {left, top, right, bottom}) append(b, std::uint32_t(edge), 2);
  append(b, std::uint32_t(unitsPerInch), 2);
  append(b, 0, 4);
  std::uint16_t checksum = 0;
  for (std::size_t i = 0; i < b.size(); i += 2) checksum ^= std::uint16_t(b[i] | b[i + 1] << 8);
  append(b, checksum, 2);
  const Bytes body = wmfBody(right - left, bottom - top);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

Bytes makePlainWmf(int width, int height) {
  return wmfBody(width, height);
}

Bytes makeEmf(int frameWidth, int frameHeight) {
  Bytes b;
  append(b, 1, 4);   // EMR_HEADER
  append(b, 88, 4);  // record size
  append(b, 0, 4);   // bounds, inclusive, in device pixels at 96 dpi
  append(b, 0, 4);
  append(b, std::uint32_t(frameWidth * 96 / 2540 - 1), 4);
  append(b, std::uint32_t(frameHeight * 96 / 2540 - 1), 4);
  append(b, 0, 4);  // frame
  append(b, 0, 4);
  append(b, std::uint32_t(frameWidth), 4);
  append(b, std::uint32_t(frameHeight), 4);
  append(b, 0x464D4520, 4);  // " EMF"
  append(b, 0x10000, 4);
  append(b, 88 + 20, 4);  // file size
  append(b, 2, 4);        // records
  append(b, 1, 2);        // handles
  append(b, 0, 2);
  append(b, 0, 4);  // no description
  append(b, 0, 4);
  append(b, 0, 4);  // no palette
  append(b, 1920, 4);
  append(b, 1080, 4);
  append(b, 508, 4);
  append(b, 286, 4);
  append(b, 14, 4);  // EMR_EOF
  append(b, 20, 4);
  append(b, 0, 4);
  append(b, 16, 4);
  append(b, 20, 4);
  return b;
}

Bytes withJpegSize(Bytes jpeg, std::uint16_t width, std::uint16_t height) {
  const std::size_t sof = findSegment(jpeg, isFrameMarker);
  jpeg[sof + 5] = std::uint8_t(height >> 8);
  jpeg[sof + 6] = std::uint8_t(height);
  jpeg[sof + 7] = std::uint8_t(width >> 8);
  jpeg[sof + 8] = std::uint8_t(width);
  return jpeg;
}

Bytes withBadHuffmanTable(Bytes jpeg) {
  const std::size_t dht = findSegment(jpeg, [](std::uint8_t m) { return m == 0xC4; });
  // Counts of codes of each length 1..16 follow the class/id byte. Moving two
  // codes to length 1 keeps the segment's length right but leaves no room
  // for the codes after them.
  std::uint8_t* counts = &jpeg[dht + 5];
  for (int length = 1; length < 16; ++length) {
    if (counts[length] >= 2) {
      counts[length] -= 2;
      counts[0] += 2;
      return jpeg;
    }
  }
  throw std::runtime_error("Huffman table without two codes of one length");
}

Bytes exifTiff(std::uint16_t orientation, bool bigEndian) {
  const std::uint8_t order = bigEndian ? 'M' : 'I';
  Bytes tiff = {order, order};
  const auto field = [&](std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i) {
      tiff.push_back(std::uint8_t(v >> (8 * (bigEndian ? size - 1 - i : i))));
    }
  };
  field(42, 2);
  field(8, 4);  // the first directory follows at once
  field(2, 2);  // two entries: tag, type (3 SHORT), count, value
  field(0x0100, 2), field(3, 2), field(1, 4), field(4000, 2), field(0, 2);
  field(0x0112, 2), field(3, 2), field(1, 4), field(orientation, 2), field(0, 2);
  field(0, 4);  // no next directory
  return tiff;
}

Bytes withExifOrientation(const Bytes& jpeg, std::uint16_t orientation, bool bigEndian) {
  const Bytes tiff = exifTiff(orientation, bigEndian);
  Bytes segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  segment.insert(segment.end(), tiff.begin(), tiff.end());
  segment[2] = std::uint8_t((segment.size() - 2) >> 8);
  segment[3] = std::uint8_t(segment.size() - 2);
  const std::size_t app0 = findSegment(jpeg, [](std::uint8_t m) { return m == 0xE0; });
  const std::size_t after = app0 + 2 + ((std::size_t(jpeg[app0 + 2]) << 8) | jpeg[app0 + 3]);
  Bytes tagged(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(after));
  tagged.insert(tagged.end(), segment.begin(), segment.end());
  tagged.insert(tagged.end(), jpeg.begin() + std::ptrdiff_t(after), jpeg.end());
  return tagged;
}

Bytes cutTo(const Bytes& bytes, int percent) {
  return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(bytes.size() * percent / 100));
}

std::size_t scanDataOffset(const Bytes& jpeg) {
  const std::size_t sos = findSegment(jpeg, [](std::uint8_t m) { return m == 0xDA; });
  return sos + 2 + ((std::size_t(jpeg[sos + 2]) << 8) | jpeg[sos + 3]);
}

}  // namespace crafted
