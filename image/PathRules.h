// The path rules: where a file name's folder, name and extension begin.
// The folder delimiters are the platform's ("/" on POSIX, "\" and ":" on
// Windows); only a "." after the last folder delimiter starts an extension.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace batchfit {

inline constexpr std::string_view PosixFolderDelimiters = "/";
inline constexpr std::string_view WindowsFolderDelimiters = "\\:";
#ifdef _WIN32
inline constexpr std::string_view PlatformFolderDelimiters = WindowsFolderDelimiters;
#else
inline constexpr std::string_view PlatformFolderDelimiters = PosixFolderDelimiters;
#endif

// Position (from 1) of the last character of s that is in delimiters; 0 if
// none. A character 0 never counts.
std::size_t lastDelimiterPosition(std::string_view delimiters, std::string_view s);

// Up to and including the last folder delimiter; empty when there is none.
std::string folderPart(std::string_view s,
                       std::string_view folderDelimiters = PlatformFolderDelimiters);
// What follows the last folder delimiter; all of s when there is none.
std::string namePart(std::string_view s,
                     std::string_view folderDelimiters = PlatformFolderDelimiters);
// s with ext in place of its extension, or with ext added when it has none.
std::string withExtension(std::string_view s, std::string_view ext,
                          std::string_view folderDelimiters = PlatformFolderDelimiters);
// The extension with its dot ("." alone for a name ending in a dot); empty
// when there is none.
std::string extensionPart(std::string_view s,
                          std::string_view folderDelimiters = PlatformFolderDelimiters);

}  // namespace batchfit
