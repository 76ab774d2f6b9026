#include "storage/ProjectTrace.h"

#include <cstdarg>
#include <cstdio>

#include "serialization/LogSink.h"

namespace Project {

void traceWarning(const char* format, ...) {
    char text[500];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Dump::logLine(0, 1, text);
}

}  // namespace Project
