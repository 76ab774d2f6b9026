#include "tester/record/JsonNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace Kestrix::Tester {

namespace {

bool numberChar(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'; }

std::string rewritten(const std::string& token) {
    if (token.find_first_of(".eE") == std::string::npos) return token;
    char* end = nullptr;
    const double d = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size()) return token;
    char buf[64];
    std::string out;
    // Outside a float's range the conversion is undefined: such a value cannot have come from one.
    const bool inFloatRange = std::fabs(d) <= static_cast<double>(std::numeric_limits<float>::max());
    const float f = inFloatRange ? static_cast<float>(d) : 0.0f;
    if (inFloatRange && static_cast<double>(f) == d) {
        const auto r = std::to_chars(buf, buf + sizeof buf, f);
        out.assign(buf, r.ptr);
    } else {
        std::snprintf(buf, sizeof buf, "%.15g", d);
        out = buf;
    }
    // Still a number with a point, as the writer gave it.
    if (out.find_first_of(".eEn") == std::string::npos) out += ".0";
    return out;
}

}  // namespace

std::string numbersToTheirSource(const std::string& json) {
    std::string out;
    out.reserve(json.size());
    bool inString = false;
    for (size_t i = 0; i < json.size();) {
        const char c = json[i];
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < json.size()) {
                out += json[i + 1];
                i += 2;
                continue;
            }
            if (c == '"') inString = false;
            ++i;
            continue;
        }
        if (c == '"') {
            inString = true;
            out += c;
            ++i;
            continue;
        }
        if ((c >= '0' && c <= '9') || c == '-') {
            size_t j = i;
            while (j < json.size() && numberChar(json[j])) ++j;
            out += rewritten(json.substr(i, j - i));
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

}  // namespace Kestrix::Tester
