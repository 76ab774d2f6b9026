#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

// The tester's logs as collected: the archive (none when no file arrived or it cannot be built) and every
// file left out of it for another reason than not being on the tester.
struct LogCollection {
    struct LeftOut {
        std::string path;    // on the tester
        std::string reason;  // printable
    };
    boost::optional<std::vector<uint8_t>> zip;
    std::vector<LeftOut> leftOut;
    size_t files = 0;  // in the archive
};

}  // namespace Kestrix::Tester
