#include "image/PathRules.h"

namespace batchfit {

std::size_t lastDelimiterPosition(std::string_view delimiters, std::string_view s) {
  for (std::size_t i = s.size(); i > 0; --i) {
    const char c = s[i - 1];
    if (c != '\0' && delimiters.find(c) != std::string_view::npos) return i;
  }
  return 0;
}

std::string folderPart(std::string_view s, std::string_view folderDelimiters) {
  return std::string(s.substr(0, lastDelimiterPosition(folderDelimiters, s)));
}

std::string namePart(std::string_view s, std::string_view folderDelimiters) {
  return std::string(s.substr(lastDelimiterPosition(folderDelimiters, s)));
}

namespace {
// Position of the dot that starts the extension, or 0.
std::size_t extensionDot(std::string_view s, std::string_view folderDelimiters) {
  std::string delimiters = ".";
  delimiters += folderDelimiters;
  const std::size_t p = lastDelimiterPosition(delimiters, s);
  return (p > 0 && s[p - 1] == '.') ? p : 0;
}
}  // namespace

std::string withExtension(std::string_view s, std::string_view ext,
                          std::string_view folderDelimiters) {
  const std::size_t p = extensionDot(s, folderDelimiters);
  std::string out(p == 0 ? s : s.substr(0, p - 1));
  out += ext;
  return out;
}

std::string extensionPart(std::string_view s, std::string_view folderDelimiters) {
  const std::size_t p = extensionDot(s, folderDelimiters);
  return p == 0 ? std::string() : std::string(s.substr(p - 1));
}

}  // namespace batchfit
