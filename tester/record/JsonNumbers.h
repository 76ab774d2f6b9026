#pragma once
// Numbers in JSON text to the precision of their source. Most measured values are stored as 32-bit floats and
// reach JSON as doubles (0.04f becomes 0.0399999991059303); a double that is exactly a float is written as the
// shortest text that reads back as that float ("0.04"), any other to at most 15 significant digits ("2000.4",
// not 2000.4000000000001).
#include <string>

namespace Kestrix::Tester {

// `json` as a JSON writer printed it (numbers with 17 significant digits), each number outside a string
// rewritten as above; integers and texts are left as they are.
std::string numbersToTheirSource(const std::string& json);

}  // namespace Kestrix::Tester
