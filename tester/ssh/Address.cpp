#include "tester/ssh/Address.h"

#include <charconv>

namespace Kestrix::Tester {
namespace {

bool parsePort(const std::string& text, uint16_t& port) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || p != end || value == 0 || value > 65535) return false;
    port = static_cast<uint16_t>(value);
    return true;
}

}  // namespace

boost::optional<HostAddress> parseAddress(const std::string& text) {
    HostAddress a;
    if (!text.empty() && text.front() == '[') {
        size_t close = text.find(']');
        if (close == std::string::npos || close == 1) return boost::none;
        a.host = text.substr(1, close - 1);
        std::string rest = text.substr(close + 1);
        if (rest.empty()) return a;
        if (rest.front() != ':' || !parsePort(rest.substr(1), a.port)) return boost::none;
        return a;
    }
    size_t colon = text.find(':');
    if (colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
        a.host = text.substr(0, colon);
        if (!parsePort(text.substr(colon + 1), a.port)) return boost::none;
    } else {
        // No colon, or several: a bare IPv6 address.
        a.host = text;
    }
    if (a.host.empty()) return boost::none;
    return a;
}

}  // namespace Kestrix::Tester
