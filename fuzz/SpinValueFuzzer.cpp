// Fuzz target: the number reading of the spin edits on any text, checked
// against a plain decimal reading, and the clamping and stepping of values.
#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "ui/SpinValue.h"

namespace {

using namespace batchfit;

// The text as a plain decimal number (blanks, one sign, digits), or nothing
// when it is no such text or lies outside 32 bits.
std::optional<std::int64_t> plainDecimal(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  text.remove_prefix(std::min(text.find_first_not_of('0'), text.size() - 1));
  if (text.size() > 10) return std::nullopt;
  std::int64_t magnitude = 0;
  std::from_chars(text.data(), text.data() + text.size(), magnitude);
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return value;
}

void checkReading(std::string_view text) {
  const std::optional<std::int32_t> value = parseSpinText(text);
  FUZZ_CHECK(readSpinValue(text, 0) == value.value_or(0));
  FUZZ_CHECK(readSpinValue(text, -7) == value.value_or(-7));

  if (const auto decimal = plainDecimal(text)) FUZZ_CHECK(value && *value == *decimal);
  if (!value) return;
  FUZZ_CHECK(text.find_first_not_of(" +-$xX0123456789abcdefABCDEF") == std::string_view::npos);
  FUZZ_CHECK(parseSpinText(std::to_string(*value)) == value);
  FUZZ_CHECK(parseSpinText("  " + std::string(text)) == value);
  FUZZ_CHECK(!parseSpinText(std::string(text) + " "));
}

void checkArithmetic(std::int32_t value, std::int32_t a, std::int32_t b) {
  const std::int32_t low = std::min(a, b), high = std::max(a, b);
  const std::int32_t clamped = clampSpinValue(value, low, high);
  if (low == high) {
    FUZZ_CHECK(clamped == value);
  } else {
    FUZZ_CHECK(clamped == std::clamp(value, low, high));
  }
  for (std::int32_t delta : {1, -1, a}) {
    const std::int64_t sum = std::int64_t(value) + delta;
    FUZZ_CHECK(stepSpinValue(value, delta) ==
               std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  checkReading(std::string_view(reinterpret_cast<const char*>(data), size));
  if (size >= 12) {
    std::int32_t v[3];
    std::memcpy(v, data, sizeof v);
    checkArithmetic(v[0], v[1], v[2]);
  }
  return 0;
}
