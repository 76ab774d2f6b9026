#pragma once
#include <cstdint>

namespace Dump {

// Options of every dump and JSON conversion. detail: 0 (names only), 1 (the usual), 2 (everything).
struct DumpFlags {
    uint32_t detail = 1;
};

inline DumpFlags detailLevel(uint32_t level) { return DumpFlags{level}; }

}  // namespace Dump
