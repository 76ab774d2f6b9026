#pragma once
// Realistic projects and instrument settings for tests, fuzz seeds and samples.
#include <cstdint>
#include <string>
#include <vector>

#include "common/InstrumentSettings.h"
#include "core/TestBytes.h"
#include "serialization/ISerializable.h"
#include "storage/Core.h"

namespace kx::test {

// A project with one test set of each kind, the three kinds of label set and a few cursors.
Project::Core sampleProject();
// Instrument settings with every field away from its default.
Kestrix::InstrumentSettings sampleInstrumentSettings();

// The project in the stored form of an older class version (no quarnId before 8, no orgId before 9).
std::vector<uint8_t> coreBytesAtVersion(const Project::Core& project, uint8_t classVersion);
// A project status in the stored form of class version 1, 2 or 3.
std::vector<uint8_t> statusBytesAtVersion(const Project::Status& status, uint8_t classVersion);

}  // namespace kx::test
