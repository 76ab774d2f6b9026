#pragma once
#include <string>

namespace Kestrix::Tester {

class TestRecordTarvel;

// A short readable summary of a record for a terminal: cable id, date, status, length, testers, limit and
// one line per test with its status and key figures. Text from the result has its control characters
// replaced, so a hostile name cannot drive the terminal.
std::string hostRecordText(TestRecordTarvel& record);

// Host status code as shown to a user: "PASS", "FAIL", ...
const char* hostStatusText(int status);

}  // namespace Kestrix::Tester
