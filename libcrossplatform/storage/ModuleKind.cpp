#include "storage/ModuleKind.h"

namespace Project {

ModuleKind moduleKind(uint32_t m, bool updateOffset) {
    if (updateOffset && m >= 10000) m -= 10000;
    if (m == 0) return ModuleKind::none;
    if (m >= 100 && m <= 199) return ModuleKind::otdr;
    if (m >= 200 && m <= 299) return ModuleKind::lossLength;
    if (m == 300 || m == 302 || m == 400) return ModuleKind::copper;
    // Update-mode modules (10000-10299) are a kind of their own, but callers have always been told "other".
    return ModuleKind::other;
}

}  // namespace Project
