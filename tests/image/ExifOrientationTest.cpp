#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/ExifOrientation.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/TestPictures.h"

using namespace batchfit;

namespace {

using Bytes = std::vector<std::uint8_t>;

int tagOf(const Bytes& bytes) {
  return exifOrientation(bytes.data(), bytes.size());
}

// The tagged photo's bytes with one byte changed, at an offset from the
// segment's "Exif" (the TIFF header is 6 bytes further on).
Bytes patched(const Bytes& tagged, std::ptrdiff_t offset, std::uint8_t value) {
  Bytes bytes = tagged;
  const std::string exif = "Exif";
  *(std::search(bytes.begin(), bytes.end(), exif.begin(), exif.end()) + offset) = value;
  return bytes;
}

}  // namespace

TEST(ExifOrientation, ReadsTheTagInEitherByteOrder) {
  const Bytes photo = testpics::makeJpeg(8, 8);
  EXPECT_EQ(tagOf(photo), 1);
  for (std::uint16_t tag = 1; tag <= 8; ++tag) {
    EXPECT_EQ(tagOf(crafted::withExifOrientation(photo, tag, false)), tag) << "Intel " << tag;
    EXPECT_EQ(tagOf(crafted::withExifOrientation(photo, tag, true)), tag) << "Motorola " << tag;
  }
}

// A LONG is read as a SHORT is, in either byte order; an entry whose last
// byte lies beyond its segment is not read, even where the bytes after the
// segment would give a tag, nor is a segment after the scan has begun.
TEST(ExifOrientation, ReadsALongTagOnlyWithinItsSegmentBeforeTheScan) {
  const Bytes photo = testpics::makeJpeg(8, 8);
  const Bytes intel = crafted::withExifOrientation(photo, 6, false);
  const Bytes motorola = crafted::withExifOrientation(photo, 6, true);
  EXPECT_EQ(tagOf(patched(intel, 30, 4)), 6);
  EXPECT_EQ(tagOf(patched(patched(patched(motorola, 31, 4), 37, 0), 39, 6)), 6);
  EXPECT_EQ(tagOf(patched(intel, 30, 9)), 1) << "SLONG";
  // The segment's length (its low byte at -1) cut to end with the entry, at
  // 40, or 1 byte before it.
  EXPECT_EQ(tagOf(patched(motorola, -1, 42)), 6);
  EXPECT_EQ(tagOf(patched(motorola, -1, 41)), 1);
  // The same segment once the first scan has begun: right after its header.
  const std::string exif = "Exif";
  const auto at = std::search(motorola.begin(), motorola.end(), exif.begin(), exif.end()) - 4;
  Bytes late = photo;
  late.insert(late.begin() + std::ptrdiff_t(crafted::scanDataOffset(photo)), at,
              at + 2 + (at[2] << 8 | at[3]));
  EXPECT_EQ(tagOf(late), 1);
}

TEST(ExifOrientation, AMissingOrBrokenTagIsOne) {
  const Bytes photo = testpics::makeJpeg(8, 8);
  const Bytes tagged = crafted::withExifOrientation(photo, 6, true);
  // Offsets from "Exif": TIFF header at 6, first directory at 14, its
  // second entry (the orientation) at 28: tag, type, count, value.
  const std::vector<std::pair<std::string, Bytes>> broken = {
      {"value 0", crafted::withExifOrientation(photo, 0, true)},
      {"value 9", crafted::withExifOrientation(photo, 9, true)},
      {"no EXIF name", patched(tagged, 3, 'x')},
      {"no byte order", patched(tagged, 6, 'X')},
      {"not 42", patched(tagged, 9, 43)},
      {"directory beyond the segment", patched(tagged, 10, 0x7F)},
      {"more entries than the segment holds", patched(tagged, 14, 0x40)},
      {"type LONG holding a SHORT's bytes", patched(tagged, 31, 4)},
      {"count 2", patched(tagged, 35, 2)},
      {"segment longer than the file", Bytes(tagged.begin(), tagged.begin() + 40)},
      {"empty", {}},
  };
  for (const auto& [what, bytes] : broken) EXPECT_EQ(tagOf(bytes), 1) << what;
  Bytes noStartOfImage = tagged;
  noStartOfImage[1] = 0;
  EXPECT_EQ(tagOf(noStartOfImage), 1);
}

TEST(ExifOrientation, UprightSurfaceFollowsTheTableForEveryTag) {
  // Stored:  a b c
  //          d e f
  const ColorRef a = 1, b = 2, c = 3, d = 4, e = 5, f = 6;
  PixelSurface stored = PixelSurface::create(3, 2);
  const std::vector<ColorRef> storedPixels = {a, b, c, d, e, f};
  for (int i = 0; i < 6; ++i) stored.setPixel(i % 3, i / 3, storedPixels[std::size_t(i)]);
  // The photo as it stands upright, row by row, for tags 1 to 8.
  const std::vector<std::vector<std::vector<ColorRef>>> upright = {
      {{a, b, c}, {d, e, f}},    // 1 as stored
      {{c, b, a}, {f, e, d}},    // 2 mirrored left to right
      {{f, e, d}, {c, b, a}},    // 3 half a turn
      {{d, e, f}, {a, b, c}},    // 4 mirrored top to bottom
      {{a, d}, {b, e}, {c, f}},  // 5 mirrored along the diagonal
      {{d, a}, {e, b}, {f, c}},  // 6 turned to the right to stand
      {{f, c}, {e, b}, {d, a}},  // 7 mirrored along the other diagonal
      {{c, f}, {b, e}, {a, d}},  // 8 turned to the left to stand
  };
  for (int tag = 1; tag <= 8; ++tag) {
    const auto& rows = upright[std::size_t(tag - 1)];
    const PixelSurface turned = uprightSurface(stored, tag);
    ASSERT_EQ(turned.height(), int(rows.size())) << tag;
    ASSERT_EQ(turned.width(), int(rows[0].size())) << tag;
    for (int y = 0; y < turned.height(); ++y) {
      for (int x = 0; x < turned.width(); ++x) {
        EXPECT_EQ(turned.getPixel(x, y), rows[std::size_t(y)][std::size_t(x)])
            << "tag " << tag << " at " << x << "," << y;
      }
    }
  }
}
