#pragma once
// A ZIP archive in memory (deflated entries, no Zip64 fields) of the files fetched from a tester.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

struct ArchiveFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// None when the archive cannot be written (an entry of 4 GiB or more would need Zip64).
boost::optional<std::vector<uint8_t>> buildZip(const std::vector<ArchiveFile>& files);

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
