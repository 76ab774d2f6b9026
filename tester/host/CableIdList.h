#pragma once
// A named list of cable ids, as the host hands it over for the tester.
#include <string>
#include <vector>

namespace Kestrix::Tester {

struct CableIDList {
    std::string Name;
    std::vector<std::string> IDs;
};

// How a list sent to the tester fared.
struct CableIdPush {
    enum class Result {
        Done,         // the tester answered "OK"
        Refused,      // the tester answered something else: it did not take the list
        Unconfirmed,  // the reply was lost; `listExists` tells whether a list of that name is on the tester
        NotSent,      // the list cannot be sent (no name, an id with a line break) or the upload failed
    };
    Result result = Result::NotSent;
    std::string reply;  // the tester's answer when refused, printable
    bool listExists = false;
};

}  // namespace Kestrix::Tester
