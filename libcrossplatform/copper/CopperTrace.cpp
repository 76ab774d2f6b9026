#include "copper/CopperTrace.h"

#include <cstdarg>

namespace Kestrix::CopperTrace {

void info(const char* channel, const char* format, ...) {
    (void)channel;
    va_list args;
    va_start(args, format);
    va_end(args);
}

}  // namespace Kestrix::CopperTrace
