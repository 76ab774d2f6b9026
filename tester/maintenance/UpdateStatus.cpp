#include "tester/maintenance/UpdateStatus.h"

#include <charconv>

namespace Kestrix::Tester {
namespace {

// Host status by tester code 0..9.
constexpr int kByCode[] = {3, 0, 4, 2, 1, 6, 12, 9, 10, 11};

}  // namespace

int updateStatusFromReply(const std::string& reply) {
    const size_t b = reply.find_first_not_of(" \t\r\n");
    const size_t e = reply.find_last_not_of(" \t\r\n");
    int code = 6;
    if (b != std::string::npos) {
        const char* first = reply.data() + b;
        const char* last = reply.data() + e + 1;
        if (*first == '+' && last - first > 1) ++first;
        int v = 0;
        auto [p, ec] = std::from_chars(first, last, v);
        if (ec == std::errc() && p == last) code = v;
    }
    if (code < 0 || code > 9) return kUpdateNoReply;
    return kByCode[code];
}

std::string updateStatusName(int status) {
    switch (status) {
        case kUpdateDone: return "DONE";
        case kUpdateRunning: return "UPDATE_RUNNING";
        case kUpdateUploadFailed: return "UPLOAD_FAILED";
        case kUpdateNoReply: return "NO_PACKAGE_OR_REPLY";
        default: break;
    }
    for (int code = 0; code < 10; ++code)
        if (kByCode[code] == status) return "TESTER_CODE_" + std::to_string(code);
    return "STATUS_" + std::to_string(status);
}

}  // namespace Kestrix::Tester
