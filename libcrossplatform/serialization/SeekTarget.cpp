#include "serialization/SeekTarget.h"

#include <cstddef>

#include "serialization/Assert.h"

namespace Marshal {

int32_t seekTarget(int32_t offset, StreamPosition base, int64_t pos, int64_t size) {
    int64_t from = 0;
    switch (base) {
        case begin: from = 0; break;
        case current: from = pos; break;
        case end: from = size; break;
        default: KX_ASSERT_MSG(false, "base");
    }
    const int64_t* basePtr = &from;
    KX_ASSERT_MSG(*basePtr >= 0, "*base >= 0");
    const int64_t req_indx = from + offset;
    KX_ASSERT(req_indx >= 0);
    KX_ASSERT_MSG(req_indx <= size, "static_cast<size_t>(req_indx) <= _size");
    return static_cast<int32_t>(req_indx);
}

}  // namespace Marshal
