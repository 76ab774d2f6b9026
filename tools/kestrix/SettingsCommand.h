#pragma once
// `kestrix settings`: what tests call directly.
#include <string>
#include <vector>

#include "common/InstrumentSettings.h"

namespace kx::cli {

// Sets one field of the settings by its JSON key and text value (enumerations by their texts, booleans as
// true/false, the brightness as a whole number, addresses as dotted quads). Throws BadInput naming the key
// and the accepted values or range when the key is unknown or the value is refused.
void setInstrumentSetting(Kestrix::InstrumentSettings& settings, const std::string& key, const std::string& value);

// The fields whose values lie outside what the tester takes, each as "key: why"; empty when all are fine.
std::vector<std::string> settingsProblems(const Kestrix::InstrumentSettings& settings);

}  // namespace kx::cli
