#pragma once
// Result containers put together section by section, bypassing the result writers, so that tests can store
// what a writer never would.
#include <cstdint>
#include <utility>
#include <vector>

namespace kx::test {

// One section: its type and its payload.
using SectionBytes = std::pair<uint16_t, std::vector<uint8_t>>;

// A container of `sections` in order, each compressed at level 1 unless `compressed` is false.
std::vector<uint8_t> containerOf(const std::vector<SectionBytes>& sections, bool compressed = true);

}  // namespace kx::test
