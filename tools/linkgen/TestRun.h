#pragma once
// Who tested a link, with which units, and when.
#include <cstdint>
#include <string>

#include "Equipment.h"

namespace Kestrix::LinkGen {

struct TestRun {
    int64_t when = 0;  // seconds since 1970
    std::string operatorName;
    const Tester* main = nullptr;
    const Tester* remote = nullptr;
    bool retest = false;
    std::string end1Name = "PP-A";  // the two ends of a fiber, as labelled on site
    std::string end2Name = "PP-B";
};

}  // namespace Kestrix::LinkGen
