#include "plugin/options_window_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace {

// Any object of the plug-in: dladdr names the file that holds it.
const char kInsidePlugin = 0;

std::string folderOf(const std::string& file) {
  const size_t slash = file.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : file.substr(0, slash);
}

}  // namespace

std::string pluginFolder() {
  Dl_info info{};
  if (dladdr(&kInsidePlugin, &info) && info.dli_fname) {
    const std::string file = info.dli_fname;
    // Linked into a program (the tests), the name is its argv[0], which may hold no folder.
    if (file.find('/') != std::string::npos) return folderOf(file);
  }
  char self[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return ".";
  return folderOf(std::string(self, size_t(n)));
}

WindowRunOptionsFn loadOptionsWindow(std::string& error) {
  static void* module = nullptr;
  const std::string path = pluginFolder() + "/" + kWindowModuleFileName;
  if (!module) module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    const char* reason = dlerror();
    std::string why = reason ? reason : "dlopen failed";
    // dlerror names the file first; once is enough.
    if (why.rfind(path + ": ", 0) == 0) why.erase(0, path.size() + 2);
    error = "cannot load " + path + ": " + why;
    return nullptr;
  }
  void* entry = dlsym(module, kWindowRunOptionsSymbol);
  if (!entry) {
    error = "cannot load " + path + ": it has no entry point " + kWindowRunOptionsSymbol;
    return nullptr;
  }
  return reinterpret_cast<WindowRunOptionsFn>(entry);
}
