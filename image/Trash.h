// Moving a file to the desktop's trash (the freedesktop.org trash
// specification), through GLib's gio, which is loaded only when a first file
// goes to the trash.
#pragma once

#include <optional>
#include <string>

namespace batchfit {

// Moves the file at path (a link itself, not what it points to) into the
// trash of its file system, from where the user can put it back. None when
// done; otherwise why not (there is no trash on that file system, gio is
// missing), and the file is where it was.
std::optional<std::string> moveToTrash(const std::string& path);

}  // namespace batchfit
