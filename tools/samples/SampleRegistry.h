#pragma once
// Sample files made with the library's own writers at build time (build/samples/). Each model area adds
// its samples from its own file in this folder:
//   static kx::samples::SampleRegistration reg("fiber-otdr.result", [] { return bytes; });
#include <cstdint>
#include <functional>
#include <vector>

namespace kx::samples {

using SampleMaker = std::function<std::vector<uint8_t>()>;

struct SampleRegistration {
    SampleRegistration(const char* fileName, SampleMaker make);
};

}  // namespace kx::samples
