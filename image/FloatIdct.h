// The float inverse DCT of one 8 x 8 block, computed to the bit as the linked
// libjpeg-turbo computes it on x86-64 (its SSE2 code, not its C code), for a
// decoder that needs only some rows of a block.
#pragma once

#include <array>
#include <cstdint>

namespace batchfit {

// A component's dequantizing multipliers, in the block's natural order.
using FloatMultipliers = std::array<float, 64>;

// Built from the component's quantization table (natural order) as libjpeg
// builds them for its float inverse DCT.
FloatMultipliers floatMultipliers(const std::uint16_t* quantization);

// The samples of the rows of a block whose bits are set in rowMask (bit r
// for row r) into out[8 * r + column]; other rows of out are left alone.
void inverseDctRows(const std::int16_t* coefficients, const FloatMultipliers& multipliers,
                    unsigned rowMask, std::uint8_t* out);

}  // namespace batchfit
