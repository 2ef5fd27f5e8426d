#include "bench/SampledDecode.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <mutex>
#include <optional>

#include "bench/CoefficientGuard.h"
#include "bench/FloatIdct.h"
#include "image/JpegObject.h"

namespace batchfit {

namespace {

// How the two chroma components are sampled against luma.
enum class Subsampling {
  None,        // 4:4:4
  Horizontal,  // 4:2:2, half width
  Vertical,    // 4:4:0, half height
  Both         // 4:2:0
};

// Only YCbCr photos whose whole decode goes through libjpeg's plain colour
// conversion and one of the upsamplers mirrored below; everything else
// (gray, whose dithering carries error across the picture; CMYK; arithmetic
// coding; other sampling factors) is left to the whole decode.
std::optional<Subsampling> coveredSubsampling(const jpeg_decompress_struct& info) {
  if (info.jpeg_color_space != JCS_YCbCr || info.num_components != 3 || info.arith_code ||
      info.data_precision != 8) {
    return std::nullopt;
  }
  const jpeg_component_info* components = info.comp_info;
  for (int ci = 1; ci < 3; ++ci) {
    if (components[ci].h_samp_factor != 1 || components[ci].v_samp_factor != 1) return std::nullopt;
  }
  const int h = components[0].h_samp_factor;
  const int v = components[0].v_samp_factor;
  if (h > 2 || v > 2) return std::nullopt;
  if (h == 1) return v == 1 ? Subsampling::None : Subsampling::Vertical;
  return v == 1 ? Subsampling::Horizontal : Subsampling::Both;
}

// libjpeg's own working memory stays within what one surface may take, as
// for a whole decode.
long libjpegMemoryBound() {
  return long(std::min<std::uint64_t>(surfaceMemoryLimit(), LONG_MAX));
}

// Less than a whole decode within bound may take for the coefficients of a
// picture this wide: it holds, besides them, rows of every component (fewer
// than 64 rows of the picture's width in all) and libjpeg's small pools. So
// whatever is read here fits the whole decode too, which must not then run out.
long coefficientMemoryBound(long bound, JDIMENSION width) {
  return std::max(bound - 64 * long(width) - (1L << 20), 1L);  // 0 would mean no bound
}

// One libjpeg decompressor that has read a photo's coefficients, destroyed
// however the reading ends. ok() is false after any error or warning.
class CoefficientReader {
 public:
  // libjpeg takes at most memoryBound bytes, as much as a whole decode would.
  CoefficientReader(std::span<const std::uint8_t> bytes, long memoryBound)
      : memoryBound_(memoryBound) {
    if (bf_create_decompress(&errors_, &info_) != 0) return;
    info_.mem->max_memory_to_use = memoryBound;
    bf_count_warnings(&errors_);
    bf_header_result header{};
    ok_ = bf_read_header(&info_, bytes.data(), bytes.size(), 1, &header) == 0;
  }
  ~CoefficientReader() { jpeg_destroy_decompress(&info_); }
  CoefficientReader(const CoefficientReader&) = delete;
  CoefficientReader& operator=(const CoefficientReader&) = delete;

  bool ok() const { return ok_ && errors_.pub.num_warnings == 0; }
  const jpeg_decompress_struct& info() const { return info_; }

  void readCoefficients() {
    if (!ok()) return;
    info_.mem->max_memory_to_use = coefficientMemoryBound(memoryBound_, info_.image_width);
    ok_ = bf_read_coefficients(&info_, &arrays_) == 0 && errors_.pub.num_warnings == 0;
  }
  // The first count block rows of component ci.
  std::vector<JBLOCKROW> blockRows(int ci, JDIMENSION count) {
    std::vector<JBLOCKROW> rows(count);
    ok_ = ok() && bf_block_rows(&info_, arrays_[ci], count, rows.data()) == 0;
    return rows;
  }

 private:
  bf_jpeg_errors errors_{};
  jpeg_decompress_struct info_{};
  jvirt_barray_ptr* arrays_ = nullptr;
  long memoryBound_;
  bool ok_ = false;
};

// Whether the coefficients read give the pixels of libjpeg's plain inverse
// DCT. libjpeg smooths the blocks of a progressive photo whose coefficients
// are not all complete (a missing or unrefined scan); only a progressive
// photo whose every coefficient is complete is taken here. A component that
// no scan named has no quantization table latched; left to the whole decode.
bool plainTransform(const jpeg_decompress_struct& info) {
  for (int ci = 0; ci < info.num_components; ++ci) {
    if (info.comp_info[ci].quant_table == nullptr) return false;
  }
  if (!info.progressive_mode) return true;
  if (info.coef_bits == nullptr) return false;
  for (int ci = 0; ci < info.num_components; ++ci) {
    const int* bits = info.coef_bits[ci];
    if (std::any_of(bits, bits + DCTSIZE2, [](int b) { return b != 0; })) return false;
  }
  return true;
}

bool ascendingWithin(const std::vector<std::int32_t>& values, std::uint32_t size) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i] < 0 || std::uint32_t(values[i]) >= size) return false;
    if (i > 0 && values[i] <= values[i - 1]) return false;
  }
  return true;
}

// The samples of one component at the given sample rows and columns (each
// ascending, without repeats), after the inverse DCT.
struct ComponentGrid {
  std::vector<std::int32_t> rows;
  std::vector<std::int32_t> columns;
  std::vector<std::uint8_t> values;  // rows.size() x columns.size()

  std::uint8_t at(std::size_t row, std::size_t column) const {
    return values[row * columns.size() + column];
  }
};

// Runs of consecutive entries of an ascending list that fall in one 8-sample
// block: the block's index and the entries [begin, end).
struct BlockRun {
  std::int32_t block;
  std::size_t begin, end;
};

std::vector<BlockRun> blockRuns(const std::vector<std::int32_t>& samples) {
  std::vector<BlockRun> runs;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::int32_t block = samples[i] / DCTSIZE;
    if (runs.empty() || runs.back().block != block) runs.push_back({block, i, i});
    runs.back().end = i + 1;
  }
  return runs;
}

// Fills grid.values from component ci's coefficients: the inverse DCT of
// only the blocks, and within them only the rows, that the grid needs.
void transformComponent(CoefficientReader& reader, int ci, ComponentGrid& grid) {
  const jpeg_component_info& component = reader.info().comp_info[ci];
  const FloatMultipliers multipliers = floatMultipliers(component.quant_table->quantval);
  grid.values.assign(grid.rows.size() * grid.columns.size(), 0);
  if (grid.values.empty()) return;
  const std::vector<BlockRun> rowRuns = blockRuns(grid.rows);
  const std::vector<BlockRun> columnRuns = blockRuns(grid.columns);
  const std::vector<JBLOCKROW> blockRows =
      reader.blockRows(ci, JDIMENSION(rowRuns.back().block + 1));
  if (!reader.ok()) return;
  std::uint8_t block[DCTSIZE2];
  for (const BlockRun& rowRun : rowRuns) {
    unsigned rowMask = 0;
    for (std::size_t r = rowRun.begin; r < rowRun.end; ++r) rowMask |= 1u << (grid.rows[r] & 7);
    for (const BlockRun& columnRun : columnRuns) {
      inverseDctRows(blockRows[std::size_t(rowRun.block)][columnRun.block], multipliers, rowMask,
                     block);
      for (std::size_t r = rowRun.begin; r < rowRun.end; ++r) {
        std::uint8_t* out = &grid.values[r * grid.columns.size()];
        const std::uint8_t* in = &block[8 * (grid.rows[r] & 7)];
        for (std::size_t c = columnRun.begin; c < columnRun.end; ++c)
          out[c] = in[grid.columns[c] & 7];
      }
    }
  }
}

// Where the chroma value of a picture row or column comes from, along one
// axis: the nearer chroma sample and the farther one that libjpeg's fancy
// (triangle) upsampling blends in, both as indices into the chroma grid's
// rows or columns; odd tells which side the farther one lies on.
struct Taps {
  std::size_t near, far;
  bool odd;
};

// The taps of every picture coordinate along an axis where chroma has half
// the samples (size of them) when halved, and the chroma coordinates they
// need (into needed). Without halving, or without blending, far is near.
std::vector<Taps> chromaTaps(const std::vector<std::int32_t>& picture, bool halved, bool blended,
                             std::int32_t size, std::vector<std::int32_t>& needed) {
  std::vector<std::pair<std::int32_t, std::int32_t>> coordinates;
  for (const std::int32_t p : picture) {
    if (!halved) {
      coordinates.emplace_back(p, p);
      continue;
    }
    const std::int32_t near = p / 2;
    // libjpeg repeats the edge sample beyond the first and the last one.
    const std::int32_t far =
        !blended ? near : (p % 2 ? std::min(near + 1, size - 1) : std::max(near - 1, 0));
    coordinates.emplace_back(near, far);
  }
  needed.clear();
  for (const auto& [near, far] : coordinates) {
    needed.push_back(near);
    needed.push_back(far);
  }
  std::sort(needed.begin(), needed.end());
  needed.erase(std::unique(needed.begin(), needed.end()), needed.end());
  const auto index = [&](std::int32_t c) {
    return std::size_t(std::lower_bound(needed.begin(), needed.end(), c) - needed.begin());
  };
  std::vector<Taps> taps;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    taps.push_back(
        {index(coordinates[i].first), index(coordinates[i].second), picture[i] % 2 != 0});
  }
  return taps;
}

// The upsampled chroma value at one pixel, as libjpeg 2.1.5's jdsample.c
// computes it (its SIMD versions give the same integers).
std::uint8_t upsampled(const ComponentGrid& grid, Subsampling subsampling, const Taps& row,
                       const Taps& column) {
  switch (subsampling) {
    case Subsampling::None:
      return grid.at(row.near, column.near);
    case Subsampling::Horizontal:  // h2v1: 3/4 nearer + 1/4 farther
      return std::uint8_t((3 * grid.at(row.near, column.near) + grid.at(row.near, column.far) +
                           (column.odd ? 2 : 1)) >>
                          2);
    case Subsampling::Vertical:  // h1v2
      return std::uint8_t((3 * grid.at(row.near, column.near) + grid.at(row.far, column.near) +
                           (row.odd ? 2 : 1)) >>
                          2);
    case Subsampling::Both: {  // h2v2: column sums of 3/4 and 1/4, then across
      const int nearColumn = 3 * grid.at(row.near, column.near) + grid.at(row.far, column.near);
      const int farColumn = 3 * grid.at(row.near, column.far) + grid.at(row.far, column.far);
      return std::uint8_t((3 * nearColumn + farColumn + (column.odd ? 7 : 8)) >> 4);
    }
  }
  return 0;
}

// libjpeg 2.1.5's YCbCr to RGB tables (jdcolor.c, 16 fraction bits); its
// SIMD conversion gives the same integers.
struct ColourTables {
  int crToRed[256], cbToBlue[256];
  std::int32_t crToGreen[256], cbToGreen[256];

  ColourTables() {
    constexpr int ScaleBits = 16;
    constexpr std::int32_t Half = std::int32_t(1) << (ScaleBits - 1);
    const auto fix = [](double x) { return std::int32_t(x * (1 << ScaleBits) + 0.5); };
    for (int i = 0; i < 256; ++i) {
      const std::int32_t x = i - 128;
      crToRed[i] = int((fix(1.40200) * x + Half) >> ScaleBits);
      cbToBlue[i] = int((fix(1.77200) * x + Half) >> ScaleBits);
      crToGreen[i] = -fix(0.71414) * x;
      cbToGreen[i] = -fix(0.34414) * x + Half;
    }
  }

  ColorRef rgb(int y, int cb, int cr) const {
    const auto limit = [](int v) { return unsigned(std::clamp(v, 0, 255)); };
    return makeColor(limit(y + crToRed[cr]), limit(y + int((cbToGreen[cb] + crToGreen[cr]) >> 16)),
                     limit(y + cbToBlue[cb]));
  }
};

// What the sampled pixels need of a photo: the samples of each component,
// and where each sampled row's and column's chroma comes from.
struct SamplingPlan {
  Subsampling subsampling;
  ComponentGrid luma, blue, red;
  std::vector<Taps> rowTaps, columnTaps;
};

SamplingPlan planSampling(const jpeg_decompress_struct& info, Subsampling subsampling,
                          const SamplePoints& points) {
  SamplingPlan plan{subsampling, {points.rows, points.columns, {}}, {}, {}, {}, {}};
  const jpeg_component_info& chroma = info.comp_info[1];
  const bool halfWidth = subsampling == Subsampling::Horizontal || subsampling == Subsampling::Both;
  const bool halfHeight = subsampling == Subsampling::Vertical || subsampling == Subsampling::Both;
  // libjpeg blends across columns only when a chroma row has more than two
  // samples; across rows (4:4:0) always; 4:2:0 blends both ways or neither.
  const bool blendColumns = chroma.downsampled_width > 2;
  const bool blendRows = subsampling == Subsampling::Vertical || blendColumns;
  plan.rowTaps = chromaTaps(points.rows, halfHeight, blendRows,
                            std::int32_t(chroma.downsampled_height), plan.blue.rows);
  plan.columnTaps = chromaTaps(points.columns, halfWidth, blendColumns,
                               std::int32_t(chroma.downsampled_width), plan.blue.columns);
  plan.red.rows = plan.blue.rows;
  plan.red.columns = plan.blue.columns;
  return plan;
}

// The share of the photo's blocks whose inverse DCT the plan needs.
double blockShare(const SamplingPlan& plan, const jpeg_decompress_struct& info) {
  const auto blocks = [](const ComponentGrid& grid) {
    return double(blockRuns(grid.rows).size()) * double(blockRuns(grid.columns).size());
  };
  double all = 0;
  for (int ci = 0; ci < 3; ++ci) {
    all += double(info.comp_info[ci].width_in_blocks) * info.comp_info[ci].height_in_blocks;
  }
  return (blocks(plan.luma) + 2 * blocks(plan.blue)) / all;
}

// Above this share of the blocks, the whole decode's SIMD code is the
// faster one (measured on photos of 1 to 12 megapixels sampled to 176 x 220:
// at 0.9 of the blocks the sampled decode took 1.1 times as long, at 0.7
// about 0.95 times, at 0.4 about 0.8 times).
constexpr double MostBlocksWorthSampling = 0.8;

// Hands each sampled row, its sampled pixels converted from YCbCr.
void handRows(const SamplingPlan& plan, const SamplePoints& points, JDIMENSION width,
              const SampledRowSink& take) {
  static const ColourTables tables;
  std::vector<ColorRef> row(width);
  for (std::size_t r = 0; r < points.rows.size(); ++r) {
    for (std::size_t c = 0; c < points.columns.size(); ++c) {
      const int cb = upsampled(plan.blue, plan.subsampling, plan.rowTaps[r], plan.columnTaps[c]);
      const int cr = upsampled(plan.red, plan.subsampling, plan.rowTaps[r], plan.columnTaps[c]);
      row[std::size_t(points.columns[c])] = tables.rgb(plan.luma.at(r, c), cb, cr);
    }
    take(points.rows[r], row.data());
  }
}

bool decodeUnchecked(std::span<const std::uint8_t> bytes, const SamplePoints& points,
                     const SampledRowSink& take, SampledDecodeUse use, long memoryBound) {
  CoefficientReader reader(bytes, memoryBound);
  if (!reader.ok()) return false;
  const jpeg_decompress_struct& info = reader.info();
  const std::optional<Subsampling> subsampling = coveredSubsampling(info);
  if (!subsampling || !ascendingWithin(points.rows, info.image_height) ||
      !ascendingWithin(points.columns, info.image_width)) {
    return false;
  }
  SamplingPlan plan = planSampling(info, *subsampling, points);
  if (use == SampledDecodeUse::WhenFaster && blockShare(plan, info) > MostBlocksWorthSampling) {
    return false;
  }
  reader.readCoefficients();
  if (!reader.ok() || !plainTransform(info)) return false;
  transformComponent(reader, 0, plan.luma);
  transformComponent(reader, 1, plan.blue);
  transformComponent(reader, 2, plan.red);
  if (!reader.ok()) return false;
  handRows(plan, points, info.image_width, take);
  return true;
}

// The start-up check's photo, 32 x 16 pixels in 4:2:0, written by libjpeg
// from coefficients chosen to tell libjpeg-turbo's arithmetic from others:
// blocks whose every sample lies exactly half way between two levels (its
// SIMD code rounds them to even, its C code up), blocks of a photo's texture,
// blocks clipped dark and light, and blocks whose inverse DCT lies far
// beyond the sample range (the SIMD code wraps them to 16 bits before it
// saturates). Decoded by the C code, 377 of its 512 pixels differ.
constexpr std::int32_t CheckWidth = 32, CheckHeight = 16;
constexpr std::uint8_t CheckPhoto[] = {
    0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x01, 0xFF, 0xB4, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF, 0xDB, 0x00, 0x43, 0x01, 0x01, 0xFF,
    0xC8, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF, 0xC0,
    0x00, 0x11, 0x08, 0x00, 0x10, 0x00, 0x20, 0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11,
    0x01, 0xFF, 0xC4, 0x00, 0x1A, 0x00, 0x00, 0x01, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x03, 0x05, 0x06, 0x07, 0x0B, 0xFF, 0xC4, 0x00,
    0x25, 0x10, 0x00, 0x02, 0x02, 0x02, 0x01, 0x01, 0x09, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x04, 0x05, 0x03, 0x06, 0x00, 0x02, 0x01, 0x15, 0x0A, 0x12, 0x13, 0x14, 0x1A, 0x22,
    0x24, 0x25, 0x26, 0xD5, 0xFF, 0xC4, 0x00, 0x15, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x07, 0xFF, 0xC4, 0x00, 0x1F, 0x11,
    0x00, 0x03, 0x00, 0x02, 0x01, 0x05, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x03, 0x04, 0x05, 0x02, 0x06, 0x00, 0x01, 0x0A, 0x13, 0x14, 0x25, 0x1A, 0xFF, 0xDA, 0x00, 0x0C,
    0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0x73, 0x17, 0xF4, 0x30, 0x04, 0xFF,
    0x00, 0x05, 0x4E, 0x48, 0xC8, 0xCA, 0xE7, 0x51, 0x61, 0x02, 0x20, 0x23, 0x71, 0xBA, 0x9D, 0x6C,
    0x19, 0xDF, 0x43, 0xDF, 0x78, 0xB1, 0xDC, 0x6B, 0xF1, 0xF5, 0x88, 0x52, 0x26, 0x31, 0x35, 0x79,
    0x2B, 0x18, 0xAC, 0x38, 0x9F, 0x60, 0xBB, 0x75, 0x9D, 0x72, 0xA4, 0xB7, 0x06, 0xED, 0xD2, 0x34,
    0x14, 0x7D, 0x7C, 0xF8, 0x7F, 0x4A, 0x9D, 0x2B, 0x02, 0x1E, 0xB9, 0x48, 0x26, 0x71, 0xC9, 0xB2,
    0x09, 0x83, 0x18, 0xF0, 0x0F, 0xFE, 0xEF, 0x69, 0xDD, 0x23, 0x58, 0xF6, 0x48, 0x15, 0xCC, 0xB2,
    0x06, 0x02, 0xAF, 0x5A, 0x2E, 0x67, 0x3D, 0xBE, 0x8F, 0x0B, 0x82, 0xC6, 0x8C, 0x21, 0x84, 0x0C,
    0x73, 0x34, 0xD3, 0x8E, 0xF4, 0x71, 0xE5, 0xAB, 0xE3, 0x0A, 0xD5, 0x80, 0x9B, 0xCE, 0xD0, 0x6E,
    0x58, 0x8B, 0x31, 0xDE, 0x63, 0x61, 0xF2, 0x3F, 0xD2, 0x87, 0x50, 0xBB, 0x56, 0x79, 0xAF, 0x45,
    0x77, 0xA5, 0x85, 0xA3, 0x30, 0x6C, 0x2E, 0xD0, 0x90, 0x10, 0x99, 0x3F, 0xEF, 0x84, 0xF5, 0x68,
    0x0F, 0x30, 0x92, 0x5A, 0xEB, 0x81, 0x14, 0xBC, 0xF8, 0x04, 0xE2, 0xE5, 0xA3, 0xF1, 0xBF, 0xBF,
    0x6B, 0xFA, 0x2A, 0x84, 0xA7, 0xD0, 0x0C, 0x3E, 0xF0, 0xAC, 0xD3, 0x2E, 0xC1, 0x2E, 0xA7, 0x3F,
    0xFF, 0xD9,
};

}  // namespace

bool decodeSampled(std::span<const std::uint8_t> bytes, const SamplePoints& points,
                   const SampledRowSink& take, SampledDecodeUse use) {
  return sampledDecodeAvailable() &&
         decodeUnchecked(bytes, points, take, use, libjpegMemoryBound());
}

bool sampledDecodeAvailable() {
  static std::once_flag once;
  static bool available = false;
  std::call_once(once, [] { available = sampledDecodeMatchesLibjpeg(); });
  return available;
}

bool sampledDecodeMatchesLibjpeg() {
  JpegObject jpeg;
  jpeg.loadBytes(std::vector<std::uint8_t>(std::begin(CheckPhoto), std::end(CheckPhoto)));
  std::vector<ColorRef> whole;
  jpeg.scanRows(
      [&](std::int32_t, const ColorRef* row) { whole.insert(whole.end(), row, row + CheckWidth); });
  SamplePoints every;
  for (std::int32_t y = 0; y < CheckHeight; ++y) every.rows.push_back(y);
  for (std::int32_t x = 0; x < CheckWidth; ++x) every.columns.push_back(x);
  std::vector<ColorRef> sampled;
  const auto take = [&](std::int32_t, const ColorRef* row) {
    sampled.insert(sampled.end(), row, row + CheckWidth);
  };
  // Plenty for the small photo, whatever the limit of the pictures.
  constexpr long CheckMemory = 16L << 20;
  const bool decoded =
      decodeUnchecked(jpeg.bytes(), every, take, SampledDecodeUse::Always, CheckMemory);
  return decoded && sampled == whole;
}

}  // namespace batchfit
