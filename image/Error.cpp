#include "image/Error.h"

namespace batchfit {

std::string formatMessage(const std::string& pattern, std::initializer_list<std::string> args) {
  std::string out;
  auto next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool placeholder = pattern[i] == '%' && i + 1 < pattern.size() &&
                             (pattern[i + 1] == 's' || pattern[i + 1] == 'd');
    if (placeholder && next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

std::string errorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

Error outOfResources() {
  return Error("Out of system resources");
}

std::string messageOf(const std::exception& failure) {
  if (dynamic_cast<const std::bad_alloc*>(&failure)) return outOfResources().what();
  return failure.what();
}

}  // namespace batchfit
