#pragma once
// Host setup types and values of the instrument settings, and how they map onto the stored fields.
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "common/InstrumentSettings.h"

namespace Kestrix::Tester::SetupTable {

// Host setup type numbers.
enum Type : int {
    kAudibleTone = 2,
    kPowerLineFrequency = 3,
    kDateFormat = 4,
    kTimeFormat = 5,
    kNumericFormat = 6,
    kLengthUnits = 7,
    kLanguage = 8,
    kPowerDownTimeout = 12,
    kBacklightTimeout = 13,
    kIpAddressSource = 14,
    kIpAddress = 15,
    kIpSubnet = 16,
    kIpGateway = 17,
    kIpDns1 = 19,
    kIpDns2 = 20,
    kIpDns3 = 21,
    kIpDns4 = 22,
};

bool isEnumType(int type);
// Host values offered for the type, in the host's order.
std::vector<int> offered(int type);
// The host value of the stored field (none when the stored value has no host value).
boost::optional<int> hostValue(const InstrumentSettings& s, int type);
// Stores a host value; false (nothing changed) when the value is outside the type's table.
bool setHostValue(InstrumentSettings& s, int type, int value);
// The text field of a text type, or null.
std::string* textField(InstrumentSettings& s, int type);
const std::string* textField(const InstrumentSettings& s, int type);

}  // namespace Kestrix::Tester::SetupTable
