// Libraries loaded when a run first needs them rather than linked, so that
// the runs that never do (most of them) do not pay for their start-up.
#pragma once

#include <dlfcn.h>

#include <string>

namespace batchfit {

// Opens the library for good (it is never unloaded); null, with the reason
// in missing, where it cannot be opened.
inline void* openOnDemand(const char* soname, std::string& missing) {
  void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (!library) missing = ::dlerror();
  return library;
}

// Points function at the library's symbol name; false where it has none.
template <typename Function>
bool take(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

}  // namespace batchfit
