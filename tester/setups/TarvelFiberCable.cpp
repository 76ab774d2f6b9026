#include "tester/setups/TarvelFiberCable.h"

#include <limits>

#include "fiber/Fiber.h"
#include "serialization/ByteStreamReader.h"

namespace Kestrix::Tester {

bool TarvelFiberCable::Deserialize(const std::vector<uint8_t>* bytes) {
    Category.reset();
    Name.clear();
    if (bytes == nullptr || bytes->size() > std::numeric_limits<uint32_t>::max()) return false;
    Fiber fiber;
    Marshal::ByteStreamReader reader(bytes->data(), static_cast<uint32_t>(bytes->size()));
    if (fiber.deserialize(reader) != Marshal::ok) return false;
    const int category = static_cast<int>(fiber.category);
    if (category >= 1 && category <= 9) Category = category;
    Name = fiber.name;
    return true;
}

}  // namespace Kestrix::Tester
