#include "host/loaded_module.h"

#include <dlfcn.h>

namespace {

#ifdef __SANITIZE_ADDRESS__
// The leak check runs at exit, after the unload: what the libraries a module
// brought in (FLTK) keep in their statics would be unreachable by then and look lost.
constexpr int kKeepLoaded = RTLD_NODELETE;
#else
constexpr int kKeepLoaded = 0;
#endif

}  // namespace

bool LoadedModule::open(const std::string& path, std::string& error) {
  close();
  path_ = path;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | kKeepLoaded);
  if (handle_) return true;
  const char* why = dlerror();
  error = "cannot load " + path + ": " + (why ? why : "dlopen failed");
  return false;
}

void* LoadedModule::entry(const char* name, std::string& error, const std::string& note) const {
  void* symbol = handle_ ? dlsym(handle_, name) : nullptr;
  if (!symbol && error.empty())
    error = "cannot load " + path_ + ": it has no entry point " + name + note;
  return symbol;
}

void LoadedModule::close() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
}
