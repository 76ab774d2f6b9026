#pragma once
// A ZIP archive in memory (deflated entries, no Zip64 fields) of the files fetched from a tester.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "tester/host/LogCollection.h"

namespace Kestrix::Tester {

struct ArchiveFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

// None when the archive cannot be written (an entry of 4 GiB or more would need Zip64).
boost::optional<std::vector<uint8_t>> buildZip(const std::vector<ArchiveFile>& files);

}  // namespace Kestrix::Tester
