#include "serialization/StreamOpStatus.h"

namespace Marshal {

const char* toString(StreamOpStatus status) {
    switch (status) {
        case ok: return "ok";
        case invalidData: return "invalid data";
        case badMagic: return "bad magic";
        case readError: return "read error";
        case sizeMismatch: return "size mismatch";
        case versionTooNew: return "class version too new";
        case headerVersionTooNew: return "header version too new";
    }
    return "unknown status";
}

}  // namespace Marshal
