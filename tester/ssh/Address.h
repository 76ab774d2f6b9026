#pragma once
#include <cstdint>
#include <string>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

// "host", "host:port", "[v6]" or "[v6]:port". Port 0 means the default SSH port.
struct HostAddress {
    std::string host;
    uint16_t port = 0;
};

// None for an empty host or a port that is not 1..65535.
boost::optional<HostAddress> parseAddress(const std::string& text);

}  // namespace Kestrix::Tester
