#pragma once
#include <cstdint>

namespace Kestrix {

// End of the link a test or measurement belongs to; stored as a number in fiber and copper records alike.
// Fiber code names the ends end1/end2, copper code main/remote: the same stored values.
enum class CableEnd : int32_t {
    notSet = 0,
    end1 = 1,
    end2 = 2,
    notset = notSet,
    main = end1,
    remote = end2,
};

}  // namespace Kestrix
