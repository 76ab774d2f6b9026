#pragma once
#include <cstdint>

namespace Marshal {

// Result of every deserialization; only ok is success. Callers pass the first non-zero status up unchanged.
enum StreamOpStatus : int8_t {
    ok = 0,
    invalidData = -1,          // wrong type id, or a stored count or value outside what the class allows
    badMagic = -2,             // no header magic
    readError = -3,            // the stream ran out, or a stored length points outside its parent
    sizeMismatch = -4,         // fields read, but not at the end of the announced payload
    versionTooNew = -5,        // stored class version above what this reader supports
    headerVersionTooNew = -6,  // stored header format above 1
};

const char* toString(StreamOpStatus status);

}  // namespace Marshal
