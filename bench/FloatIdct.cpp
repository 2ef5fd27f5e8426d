// Built with -ffp-contract=off: every product and sum below is rounded to
// float on its own, in this order, as the library's packed SSE2 operations
// round them lane by lane. A fused multiply-add would change the results.
#include "bench/FloatIdct.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace batchfit {

namespace {

// The constants of libjpeg-turbo 2.1.5's simd/x86_64/jidctflt-sse2.asm, as
// that file spells them; the bit patterns are those in the installed library.
constexpr float Sqrt2 = 1.414213562373095048801689f;
constexpr float C1847 = 1.847759065022573512256366f;
constexpr float C1082 = 1.082392200292393968799446f;
constexpr float CM2613 = -2.613125929752753055713286f;
// 1.5 * 2^26: adding it leaves round(v / 8) in the low bits of the sum.
constexpr float RoundingMagic = 100663296.0f;
static_assert(std::bit_cast<std::uint32_t>(Sqrt2) == 0x3FB504F3u);
static_assert(std::bit_cast<std::uint32_t>(C1847) == 0x3FEC835Eu);
static_assert(std::bit_cast<std::uint32_t>(C1082) == 0x3F8A8BD4u);
static_assert(std::bit_cast<std::uint32_t>(CM2613) == 0xC0273D75u);
static_assert(std::bit_cast<std::uint32_t>(RoundingMagic) == 0x4CC00000u);

// Four floats, one per column, as in an SSE register; every operation on
// them is the same IEEE single operation on each lane.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));

// One 8-point pass in the SSE2 code's order of operations, on floats or on
// four columns at once. (The library's C code scales its multipliers by 1/8
// first, adds 128.5 to the DC term of pass 2 and truncates at the end, so it
// rounds otherwise.)
template <typename T>
void pass(const T* in, T* out) {
  // Even part.
  const T tmp10 = in[0] + in[4];
  const T tmp11 = in[0] - in[4];
  const T tmp13 = in[2] + in[6];
  const T tmp12 = (in[2] - in[6]) * Sqrt2 - tmp13;
  const T tmp0 = tmp10 + tmp13;
  const T tmp3 = tmp10 - tmp13;
  const T tmp1 = tmp11 + tmp12;
  const T tmp2 = tmp11 - tmp12;
  // Odd part.
  const T z11 = in[1] + in[7];
  const T z13 = in[5] + in[3];
  const T z12 = in[1] - in[7];
  const T z10 = in[5] - in[3];
  const T tmp7 = z11 + z13;
  const T odd11 = (z11 - z13) * Sqrt2;
  const T z5 = (z10 + z12) * C1847;
  const T odd12 = z10 * CM2613 + z5;
  const T odd10 = z12 * C1082 - z5;
  const T tmp6 = odd12 - tmp7;
  const T tmp5 = odd11 - tmp6;
  const T tmp4 = odd10 + tmp5;
  out[0] = tmp0 + tmp7;
  out[7] = tmp0 - tmp7;
  out[1] = tmp1 + tmp6;
  out[6] = tmp1 - tmp6;
  out[2] = tmp2 + tmp5;
  out[5] = tmp2 - tmp5;
  out[4] = tmp3 + tmp4;
  out[3] = tmp3 - tmp4;
}

// Pass 1 over the even and the odd columns of a block, from its rows of
// 16-bit terms read as four 32-bit lanes (on this little-endian machine an
// even column in the low half of each lane, an odd one in the high half):
// even[row] holds columns 0, 2, 4 and 6 of that row, odd[row] columns 1, 3, 5
// and 7. Columns without AC terms give their dequantized DC term on every
// row, exactly what the full pass gives them (the library takes the same
// short cut).
void columnPass(const Int4* rows, const FloatMultipliers& multipliers, bool evenAc, bool oddAc,
                Float4* even, Float4* odd) {
  Float4 evenIn[8], oddIn[8];
  for (int row = 0; row < (evenAc ? 8 : 1); ++row) {
    Float4 quantizers;
    std::memcpy(&quantizers, multipliers.even[row], sizeof quantizers);
    evenIn[row] = __builtin_convertvector((rows[row] << 16) >> 16, Float4) * quantizers;
  }
  for (int row = 0; row < (oddAc ? 8 : 1); ++row) {
    Float4 quantizers;
    std::memcpy(&quantizers, multipliers.odd[row], sizeof quantizers);
    oddIn[row] = __builtin_convertvector(rows[row] >> 16, Float4) * quantizers;
  }
  if (evenAc) {
    pass(evenIn, even);
  } else {
    std::fill(even, even + 8, evenIn[0]);
  }
  if (oddAc) {
    pass(oddIn, odd);
  } else {
    std::fill(odd, odd + 8, oddIn[0]);
  }
}

// The library's final step: the low 16 bits of (v + magic) as a signed word,
// saturated to a signed byte, then moved up by 128 (wrapping as a byte does).
std::uint8_t toSample(float v) {
  const float sum = v + RoundingMagic;
  const auto word = static_cast<std::int16_t>(std::bit_cast<std::uint32_t>(sum) & 0xFFFFu);
  return static_cast<std::uint8_t>(std::clamp<int>(word, -128, 127) + 128);
}

}  // namespace

FloatMultipliers floatMultipliers(const std::uint16_t* quantization) {
  // libjpeg-turbo 2.1.5's jddctmgr.c: the quantizer times cos(k pi / 16) * sqrt(2)
  // for the row and the column (1 for k = 0), in double, rounded to float.
  static constexpr double Scale[8] = {1.0, 1.387039845, 1.306562965, 1.175875602,
                                      1.0, 0.785694958, 0.541196100, 0.275899379};
  FloatMultipliers multipliers{};
  for (int row = 0; row < 8; ++row) {
    for (int col = 0; col < 8; ++col) {
      const float m =
          static_cast<float>(double(quantization[8 * row + col]) * Scale[row] * Scale[col]);
      float(&columns)[8][4] = col % 2 ? multipliers.odd : multipliers.even;
      columns[row][col / 2] = m;
    }
  }
  return multipliers;
}

void inverseDctRows(const std::int16_t* coefficients, const FloatMultipliers& multipliers,
                    unsigned rowMask, std::uint8_t* out) {
  // Which terms are nonzero, from the block read as 64-bit words: the
  // even columns' terms in these bits, the odd columns' in the others.
  constexpr std::uint64_t EvenColumns = 0x0000FFFF0000FFFFu;
  std::uint64_t words[16];
  std::memcpy(words, coefficients, sizeof words);
  std::uint64_t ac = 0;
  for (int i = 2; i < 16; ++i) ac |= words[i];
  if (!(ac | words[1] | (words[0] & ~std::uint64_t(0xFFFF)))) {
    // Only a DC term: both passes give every sample its dequantized value.
    const std::uint8_t sample = toSample(float(coefficients[0]) * multipliers.even[0][0]);
    for (int row = 0; row < 8; ++row) {
      if (rowMask & (1u << row)) std::memset(out + 8 * row, sample, 8);
    }
    return;
  }
  // Columns first; then only the rows wanted.
  Int4 rows[8];
  std::memcpy(rows, coefficients, sizeof rows);
  Float4 even[8], odd[8];
  columnPass(rows, multipliers, ac & EvenColumns, ac & ~EvenColumns, even, odd);
  for (int row = 0; row < 8; ++row) {
    if (!(rowMask & (1u << row))) continue;
    const float in[8] = {even[row][0], odd[row][0], even[row][1], odd[row][1],
                         even[row][2], odd[row][2], even[row][3], odd[row][3]};
    float samples[8];
    pass(in, samples);
    for (int col = 0; col < 8; ++col) out[8 * row + col] = toSample(samples[col]);
  }
}

}  // namespace batchfit
