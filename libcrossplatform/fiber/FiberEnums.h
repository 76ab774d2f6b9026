#pragma once
// Small enumerations of fibers and cables shared by the fiber model. Values are stored: frozen.
#include <cstdint>

namespace Kestrix {

enum class FiberCategory : uint8_t {
    none = 0,
    OM1 = 1,
    OM2 = 2,
    OM3 = 3,
    OM4 = 4,
    OS1 = 5,
    OS2 = 6,
    OM1_160 = 7,
    OM2_400 = 8,
    OM5 = 9,
};

enum class FiberMode : uint8_t { notSet = 0, singlemode = 1, multimode = 2 };

// Nominal core class; the host conversion relies on exactly these three values.
enum class FiberCoreSize : int32_t { upTo30um = 1, upTo57um = 2, above57um = 3 };

enum class FiberConnectorType : int32_t {
    notSet = 0,
    general = 1,
    SC = 2,
    ST = 3,
    FC = 4,
    LC = 5,
    MTRJ = 6,
    VF45 = 7,
    fiberJack = 8,
    mpoModule = 9,
};

// Texts; empty for values outside the tables ("Not Set" for connector types).
const char* toString(FiberCategory c);
const char* toString(FiberMode m);
const char* toString(FiberConnectorType t);

}  // namespace Kestrix
