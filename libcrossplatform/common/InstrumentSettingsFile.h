#pragma once
// The settings file exchanged with the tester: a container whose first data section (type 105, version 1,
// uncompressed) holds the settings' JSON at detail level 2, written without white space.
#include <cstdint>
#include <string>
#include <vector>

#include "common/InstrumentSettings.h"

namespace Kestrix::InstrumentSettingsFile {

inline constexpr uint16_t kSectionVersion = 1;

// New settings as the host's settings editor makes them (lengths in feet, the rest at the defaults).
InstrumentSettings editorDefaults();

// The section's text.
std::string jsonText(const InstrumentSettings& settings);

// The container bytes; empty when the container cannot be built.
std::vector<uint8_t> write(const InstrumentSettings& settings);

// Reads a settings file. On failure `out` is left at its defaults and `error` (when given) says why.
bool read(const std::vector<uint8_t>& bytes, InstrumentSettings& out, std::string* error = nullptr);

}  // namespace Kestrix::InstrumentSettingsFile
