// Fuzz target: the path rules on any text, with the POSIX and the Windows
// folder delimiters. The parts they cut must put the text back together.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "image/PathRules.h"

namespace {

using namespace batchfit;

void checkRules(std::string_view s, std::string_view folderDelimiters) {
  const std::string folder = folderPart(s, folderDelimiters);
  const std::string name = namePart(s, folderDelimiters);
  FUZZ_CHECK(folder + name == s);
  FUZZ_CHECK(name.find_first_of(folderDelimiters) == std::string::npos);
  FUZZ_CHECK(folder.empty() || folderDelimiters.find(folder.back()) != std::string_view::npos);

  // The extension lies in the name, starts at its last "." and comes back
  // unchanged when put in its own place.
  const std::string ext = extensionPart(s, folderDelimiters);
  FUZZ_CHECK(name.ends_with(ext));
  FUZZ_CHECK(ext.empty() || (ext.front() == '.' && ext.rfind('.') == 0));
  FUZZ_CHECK(ext.empty() == (name.find('.') == std::string::npos));
  FUZZ_CHECK(withExtension(s, ext, folderDelimiters) == s);

  // A BMP output name keeps the folder, ends in ".bmp" and reads back so.
  const std::string bmp = withExtension(s, ".bmp", folderDelimiters);
  FUZZ_CHECK(bmp.starts_with(folder) && bmp.ends_with(".bmp"));
  FUZZ_CHECK(bmp.size() == s.size() - ext.size() + 4);
  FUZZ_CHECK(extensionPart(bmp, folderDelimiters) == ".bmp");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);
  checkRules(s, PosixFolderDelimiters);
  checkRules(s, WindowsFolderDelimiters);

  // Any delimiter set: the first byte says how many of the next bytes form it.
  if (size > 0) {
    const std::size_t count = std::min<std::size_t>(data[0] % 4, size - 1);
    const std::string_view delimiters = s.substr(1, count);
    const std::string_view text = s.substr(1 + count);
    const std::size_t p = lastDelimiterPosition(delimiters, text);
    FUZZ_CHECK(p <= text.size());
    if (p > 0)
      FUZZ_CHECK(text[p - 1] != '\0' && delimiters.find(text[p - 1]) != std::string_view::npos);
    for (std::size_t i = p; i < text.size(); ++i) {
      FUZZ_CHECK(text[i] == '\0' || delimiters.find(text[i]) == std::string_view::npos);
    }
  }
  return 0;
}
