#include "common/Status.h"

#include <cstring>

namespace Kestrix {

const char* toString(Status s) {
    switch (s) {
        case Status::notSet: return "Not set";
        case Status::dontShow: return "Don't show";
        case Status::show: return "Show";
        case Status::pass: return "Pass";
        case Status::passStar: return "Pass star";
        case Status::passAcceptable: return "Pass acceptable";
        case Status::failStar: return "Fail star";
        case Status::fail: return "Fail";
    }
    return "";
}

const char* toString(ResultType t) {
    switch (t) {
        case ResultType::NOT_SET: return "NOT_SET";
        case ResultType::COPPER: return "COPPER";
        case ResultType::FIBER: return "FIBER";
    }
    return "";
}

bool isCustomObject(const char* name) {
    if (name == nullptr) return false;
    const size_t n = std::strlen(name);
    return n > 0 && name[0] == '*' && name[n - 1] == '*';
}

}  // namespace Kestrix
