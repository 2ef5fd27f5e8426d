// The error box, and the one guard every command handler (main window and
// crop editor alike) runs its body through, so an error ends only that command.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "image/Error.h"

namespace batchfit {

// The application title from the program file's full name: what follows the
// last folder delimiter, cut at its first ".", every character after the
// first in lower case ("PHOTOS.EXE" gives "Photos", "my.tool.exe" "my").
std::string titleFromProgramPath(std::string_view path, std::string_view folderDelimiters);

// The title formed once at start-up; the caption of every error box and message dialog.
QString applicationTitle();

// Cancels a mouse drag in progress, then shows the platform's message box
// with the stop icon, the application title and one OK button; returns when
// the user has closed it.
void showErrorBox(const std::string& message);

// Runs a command; an error escaping it is shown in the error box, once
// `failed`, where given, has taken its message.
void guarded(const std::function<void()>& command,
             const std::function<void(const std::string& message)>& failed = {});

}  // namespace batchfit
