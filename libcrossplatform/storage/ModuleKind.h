#pragma once
#include <cstdint>

namespace Project {

// Kinds of tester module a test set can be bound to.
enum class ModuleKind : int32_t { none = 0, otdr = 1, lossLength = 2, copper = 3, updateMode = 4, other = 5 };

// 0 -> none, 100-199 OTDR, 200-299 loss/length, 300, 302 and 400 copper, everything else other. Modules in
// update mode (10000-10299) also report other; with `updateOffset`, 10000 is taken off ids from 10000 up first.
ModuleKind moduleKind(uint32_t moduleId, bool updateOffset = false);

}  // namespace Project
