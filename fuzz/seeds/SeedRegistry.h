#pragma once
// Seed inputs of the fuzz targets, made with the library's own writers:
//   static kx::fuzz::SeedRegistration reg("fuzz_pfile_reader", "result-summary", [] { return bytes; });
// The first argument is the fuzz target's name (its source file fuzz/<name>.cpp without extension).
#include <cstdint>
#include <functional>
#include <vector>

namespace kx::fuzz {

using SeedMaker = std::function<std::vector<uint8_t>()>;

struct SeedRegistration {
    SeedRegistration(const char* target, const char* name, SeedMaker make);
};

}  // namespace kx::fuzz
