#pragma once
// The four functions through which the host asks the plug-in module (zorvel.dle)
// for its description and classes, as the host looks them up with dlsym.

#include <cstdint>

class ClassDescriptor;

// The host SDK version word the module was built for: the host release (3000)
// in the upper 16 bits, then 7 and 0 in the two lower bytes.
constexpr uint32_t kHostSdkVersion = 0x0BB80700;
constexpr const char* kModuleFileName = "zorvel.dle";

extern "C" {
using LibDescriptionFn = const char* (*)();
using LibNumberClassesFn = int (*)();
// The descriptor of class `i`, null past the last class; owned by the module.
using LibClassDescFn = ClassDescriptor* (*)(int i);
using LibVersionFn = uint32_t (*)();
}

inline constexpr const char* kLibDescriptionSymbol = "LibDescription";
inline constexpr const char* kLibNumberClassesSymbol = "LibNumberClasses";
inline constexpr const char* kLibClassDescSymbol = "LibClassDesc";
inline constexpr const char* kLibVersionSymbol = "LibVersion";
