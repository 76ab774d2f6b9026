#pragma once
// `kestrix inspect` and `kestrix manifest`, callable from tests.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace kx::cli {

// Lists the container's sections and, when there is a result summary (section 200), prints it.
// A corrupt container is listed as far as it can be read, then BadInput is thrown with the reason.
void inspectContainer(const std::vector<uint8_t>& bytes, bool json, std::ostream& out);

// Prints a database package's version and firmware requirement; BadInput with the manifest code otherwise.
void printManifest(const std::string& path, bool json, std::ostream& out);

}  // namespace kx::cli
