// The entry points of zorvel.dle, the only symbols the module exports.
#include "plugin/module_entry.h"

#include <type_traits>

#include "plugin/open_zorvel_desc.h"
#include "plugin/string_table.h"

#define ZORVEL_EXPORT __attribute__((visibility("default")))

namespace {

// Made when the module loads, destroyed when it unloads.
OpenZorvelDesc openZorvelDesc;

// The version resource of the module, readable with `strings zorvel.dle`.
[[gnu::used]] const char kVersionInfo[] =
    "FileVersion=1.0.0.1 ProductVersion=1.0.0.1 InternalName=zorvel "
    "FileDescription=zorvel DLL ProductName=zorvel Dynamic Link Library "
    "OriginalFilename=zorvel.DLL";

}  // namespace

extern "C" {

ZORVEL_EXPORT const char* LibDescription() {
  return getString(kIdsLibDescription);
}

ZORVEL_EXPORT int LibNumberClasses() {
  return 1;
}

ZORVEL_EXPORT ClassDescriptor* LibClassDesc(int i) {
  return i == 0 ? &openZorvelDesc : nullptr;
}

ZORVEL_EXPORT uint32_t LibVersion() {
  return kHostSdkVersion;
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&LibDescription), LibDescriptionFn>);
static_assert(std::is_same_v<decltype(&LibNumberClasses), LibNumberClassesFn>);
static_assert(std::is_same_v<decltype(&LibClassDesc), LibClassDescFn>);
static_assert(std::is_same_v<decltype(&LibVersion), LibVersionFn>);
