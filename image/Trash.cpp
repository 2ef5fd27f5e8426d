#include "image/Trash.h"

#include <gio/gio.h>

#include "image/OnDemand.h"

namespace batchfit {

namespace {

// The few gio functions the trash needs. Linked in, gio and its libraries
// would cost every run about 10 ms of start-up, where most runs replace no
// photo; loaded on demand, only a run that trashes one pays for it.
struct Gio {
  decltype(&g_file_new_for_path) fileForPath = nullptr;
  decltype(&g_file_trash) trash = nullptr;
  decltype(&g_object_unref) unref = nullptr;
  decltype(&g_error_free) freeError = nullptr;
  std::string missing;  // why gio could not be loaded, if it could not
};

Gio load() {
  Gio gio;
  // Never unloaded: GLib's type system cannot be taken down again.
  void* library = openOnDemand("libgio-2.0.so.0", gio.missing);
  if (!library) return gio;
  take(library, "g_file_new_for_path", gio.fileForPath);
  take(library, "g_file_trash", gio.trash);
  take(library, "g_object_unref", gio.unref);
  take(library, "g_error_free", gio.freeError);
  if (!gio.fileForPath || !gio.trash || !gio.unref || !gio.freeError) {
    gio.missing = "libgio-2.0.so.0 lacks the trash";
  }
  return gio;
}

const Gio& gio() {
  static const Gio loaded = load();
  return loaded;
}

}  // namespace

std::optional<std::string> moveToTrash(const std::string& path) {
  const Gio& gio = batchfit::gio();
  if (!gio.missing.empty()) return gio.missing;
  GFile* file = gio.fileForPath(path.c_str());
  GError* error = nullptr;
  const bool moved = gio.trash(file, nullptr, &error);
  gio.unref(file);
  if (moved) return std::nullopt;
  std::string reason = error ? error->message : "the trash refused it";
  if (error) gio.freeError(error);
  return reason;
}

}  // namespace batchfit
