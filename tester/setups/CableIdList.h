#pragma once
// A named list of cable ids, as the host hands it over for the tester.
#include <string>
#include <vector>

namespace Kestrix::Tester {

struct CableIDList {
    std::string Name;
    std::vector<std::string> IDs;
};

}  // namespace Kestrix::Tester
