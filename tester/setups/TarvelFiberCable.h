#pragma once
// Read-only view of a fiber cable (a serialized fiber) for the host.
#include <cstdint>
#include <string>
#include <vector>

#include <boost/optional.hpp>

namespace Kestrix::Tester {

class TarvelFiberCable {
public:
    // Decodes a serialized fiber; false when the bytes hold none.
    bool Deserialize(const std::vector<uint8_t>* bytes);

    // The fiber category 1 to 9; none for any other.
    boost::optional<int> Category;
    std::string Name;
};

}  // namespace Kestrix::Tester
