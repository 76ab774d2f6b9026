#pragma once
// Database package manifests and their containers, for tests, fuzz seeds and samples.
#include <cstdint>
#include <vector>

#include "common/DatabasePackageManifest.h"

namespace kx::test {

// Version V3.12, build 41, firmware "2.7.0", two database descriptors.
Kestrix::DatabasePackageManifest sampleManifest();

std::vector<uint8_t> manifestBytes(const Kestrix::DatabasePackageManifest& manifest);

// File header + one section of `sectionType` holding `payload` (compressed at level 1 when asked).
std::vector<uint8_t> containerWith(uint16_t sectionType, const std::vector<uint8_t>& payload, bool compressed = false);

inline std::vector<uint8_t> manifestContainer(const Kestrix::DatabasePackageManifest& m, uint16_t sectionType = 101,
                                              bool compressed = false) {
    return containerWith(sectionType, manifestBytes(m), compressed);
}

}  // namespace kx::test
