#pragma once
#include <cstdint>

namespace Kestrix {

// Tester module ids (1xx OTDR, 2xx loss sets, 3xx/400 copper; 101xx-104xx update or boot mode).
enum class ModuleId : int32_t {};

// Display name of a module id; empty for an unknown one.
const char* toString(ModuleId id);
inline const char* moduleName(int32_t id) { return toString(static_cast<ModuleId>(id)); }

}  // namespace Kestrix
