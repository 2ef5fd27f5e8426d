// The float inverse DCT of one 8 x 8 block, computed to the bit as the linked
// libjpeg-turbo computes it on x86-64 (its SSE2 code, not its C code), for a
// decoder that needs only some rows of a block.
#pragma once

#include <cstdint>

namespace batchfit {

// A component's dequantizing multipliers, the values libjpeg's float inverse
// DCT uses, laid out for inverseDctRows: row r's even and odd columns.
struct FloatMultipliers {
  alignas(16) float even[8][4];
  alignas(16) float odd[8][4];
};

// Built from the component's quantization table (natural order).
FloatMultipliers floatMultipliers(const std::uint16_t* quantization);

// The samples of the rows of a block whose bits are set in rowMask (bit r
// for row r) into out[8 * r + column]; other rows of out are left alone.
void inverseDctRows(const std::int16_t* coefficients, const FloatMultipliers& multipliers,
                    unsigned rowMask, std::uint8_t* out);

}  // namespace batchfit
