#pragma once
#include <cstdint>
#include <string>

namespace Kestrix::Tester {

// Host code of this tester family.
inline constexpr int kPlatform = 11;

// One tester as the host sees it; `Port` is the tester's address ("ADDR" or "ADDR:PORT").
struct TesterConnectInfo {
    std::string Port;
    std::string Parameter;
    std::string SerialNumber;
    int Platform = 0;
    std::string Context;  // "v1" or "v2"
    bool Main = false;
    std::string SoftwareVersion;
    int Model = 0;  // host model code 3000, 3001 or 3003
    std::string DisplayName;
};

// One entry of a tester folder listing.
struct dirEntry {
    std::string name;
    int64_t size = 0;
};

}  // namespace Kestrix::Tester
