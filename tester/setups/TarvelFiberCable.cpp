#include "tester/setups/TarvelFiberCable.h"

#include "fiber/Fiber.h"
#include "serialization/ReadObject.h"

namespace Kestrix::Tester {

bool TarvelFiberCable::Deserialize(const std::vector<uint8_t>* bytes) {
    Category.reset();
    Name.clear();
    if (bytes == nullptr) return false;
    Fiber fiber;
    if (Marshal::readObject(*bytes, fiber).status != Marshal::ok) return false;
    const int category = static_cast<int>(fiber.category);
    if (category >= 1 && category <= 9) Category = category;
    Name = fiber.name;
    return true;
}

}  // namespace Kestrix::Tester
