// How a spin edit reads its text as a number: plain C++, so that the number
// boxes, their tests and the fuzz targets share exactly one reading.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace batchfit {

// The text read as a signed 32-bit integer: leading blanks, at most one "+"
// or "-", then decimal digits, or hexadecimal digits behind "$", "x", "X",
// "0x" or "0X", and nothing after them. A decimal number must lie in the
// 32-bit range; a hexadecimal one is taken as a 32-bit pattern. Any other
// text gives nothing.
std::optional<std::int32_t> parseSpinText(std::string_view text);

// The value a spin edit shows for its text: the number read.
// Deliberate: the box's minimum when the text is not a number, as "17.6" or
// "176 " is not.
std::int32_t readSpinValue(std::string_view text, std::int32_t minimum);

// A value held within minimum and maximum.
// Deliberate: a box whose minimum equals its maximum has no bounds, so the
// value stands.
std::int32_t clampSpinValue(std::int32_t value, std::int32_t minimum, std::int32_t maximum);

// value + delta, held at the ends of the 32-bit range instead of wrapping.
std::int32_t stepSpinValue(std::int32_t value, std::int32_t delta);

}  // namespace batchfit
