#pragma once
#include <string>

#include "common/InstrumentSettings.h"

namespace kx::cli {

// Sets one field of the settings by its JSON key and text value (enumerations by their texts, booleans as
// true/false, numbers in decimal). Throws BadInput naming the key and the accepted values when the key is
// unknown or the value is refused.
void setInstrumentSetting(Kestrix::InstrumentSettings& settings, const std::string& key, const std::string& value);

}  // namespace kx::cli
