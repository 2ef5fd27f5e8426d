// Built with -ffp-contract=off: every product and sum below is rounded to
// float on its own, in this order, as the library's packed SSE2 operations
// round them lane by lane. A fused multiply-add would change the results.
#include "FloatIdct.h"

#include <algorithm>
#include <bit>

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

// One 8-point pass, the library's order of operations (the SSE2 code's, which
// differs from its C code in how the odd part is signed and summed).
void pass(const float* in, float* out) {
  // Even part.
  const float tmp10 = in[0] + in[4];
  const float tmp11 = in[0] - in[4];
  const float tmp13 = in[2] + in[6];
  const float tmp12 = (in[2] - in[6]) * Sqrt2 - tmp13;
  const float tmp0 = tmp10 + tmp13;
  const float tmp3 = tmp10 - tmp13;
  const float tmp1 = tmp11 + tmp12;
  const float tmp2 = tmp11 - tmp12;
  // Odd part.
  const float z11 = in[1] + in[7];
  const float z13 = in[5] + in[3];
  const float z12 = in[1] - in[7];
  const float z10 = in[5] - in[3];
  const float tmp7 = z11 + z13;
  const float odd11 = (z11 - z13) * Sqrt2;
  const float z5 = (z10 + z12) * C1847;
  const float odd12 = z10 * CM2613 + z5;
  const float odd10 = z12 * C1082 - z5;
  const float tmp6 = odd12 - tmp7;
  const float tmp5 = odd11 - tmp6;
  const float tmp4 = odd10 + tmp5;
  out[0] = tmp0 + tmp7;
  out[7] = tmp0 - tmp7;
  out[1] = tmp1 + tmp6;
  out[6] = tmp1 - tmp6;
  out[2] = tmp2 + tmp5;
  out[5] = tmp2 - tmp5;
  out[4] = tmp3 + tmp4;
  out[3] = tmp3 - tmp4;
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
      const int i = 8 * row + col;
      multipliers[i] = static_cast<float>(double(quantization[i]) * Scale[row] * Scale[col]);
    }
  }
  return multipliers;
}

void inverseDctRows(const std::int16_t* coefficients, const FloatMultipliers& multipliers,
                    unsigned rowMask, std::uint8_t* out) {
  // Columns first, into work[row][column]; then only the rows wanted.
  float work[8][8];
  for (int col = 0; col < 8; ++col) {
    float in[8];
    float column[8];
    for (int row = 0; row < 8; ++row) {
      in[row] = float(coefficients[8 * row + col]) * multipliers[8 * row + col];
    }
    pass(in, column);
    for (int row = 0; row < 8; ++row) work[row][col] = column[row];
  }
  for (int row = 0; row < 8; ++row) {
    if (!(rowMask & (1u << row))) continue;
    float samples[8];
    pass(work[row], samples);
    for (int col = 0; col < 8; ++col) out[8 * row + col] = toSample(samples[col]);
  }
}

}  // namespace batchfit
