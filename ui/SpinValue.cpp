#include "ui/SpinValue.h"

#include <limits>

namespace batchfit {

namespace {

int digitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (!hex) return -1;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Removes a hexadecimal prefix from the front of text; true when there was one.
bool takeHexPrefix(std::string_view& text) {
  if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
    text.remove_prefix(1);
    return true;
  }
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    return true;
  }
  return false;
}

// The magnitude of a run of digits: at most `limit`, or nothing when the run
// is empty, holds another character or exceeds the limit.
std::optional<std::uint64_t> readMagnitude(std::string_view digits, bool hex, std::uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  const unsigned base = hex ? 16 : 10;
  std::uint64_t magnitude = 0;
  for (char c : digits) {
    const int digit = digitValue(c, hex);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + unsigned(digit);
    if (magnitude > limit) return std::nullopt;
  }
  return magnitude;
}

}  // namespace

std::optional<std::int32_t> parseSpinText(std::string_view text) {
  while (text.starts_with(' ')) text.remove_prefix(1);
  bool negative = false;
  if (text.starts_with('+') || text.starts_with('-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const bool hex = takeHexPrefix(text);
  // A hexadecimal number is a 32-bit pattern; a decimal one reaches 2^31 only
  // as the most negative value.
  const std::uint64_t limit = hex ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
  const std::optional<std::uint64_t> magnitude = readMagnitude(text, hex, limit);
  if (!magnitude) return std::nullopt;
  std::uint32_t bits = std::uint32_t(*magnitude);
  if (negative) bits = 0u - bits;
  return std::int32_t(bits);
}

std::int32_t readSpinValue(std::string_view text, std::int32_t minimum) {
  return parseSpinText(text).value_or(minimum);
}

std::int32_t clampSpinValue(std::int32_t value, std::int32_t minimum, std::int32_t maximum) {
  if (minimum == maximum) return value;
  if (value < minimum) return minimum;
  if (value > maximum) return maximum;
  return value;
}

std::int32_t stepSpinValue(std::int32_t value, std::int32_t delta) {
  const std::int64_t sum = std::int64_t(value) + delta;
  if (sum > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (sum < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return std::int32_t(sum);
}

}  // namespace batchfit
