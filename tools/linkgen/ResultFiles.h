#pragma once
// Result files of generated tests, written by the library's own writers, with summaries that say what
// their tests' verdicts say.
#include <cstdint>
#include <string>
#include <vector>

#include "copper/CopperTest.h"
#include "fiber/FiberResult.h"

namespace Kestrix::LinkGen {

// The worse of two verdicts, in the library's order of severity.
Status worseOf(Status a, Status b);

// A copper result named `cableId` holding the test; its summary filled from the test by the library.
std::vector<uint8_t> copperResultFile(const CopperTestPtr& test, const std::string& cableId);

// An empty fiber result named `cableId`, tested at `when`.
FiberResult fiberResult(const std::string& cableId, int64_t when);
// Fills the summary from the tests: any failing test fails the result, else any starred pass stars it,
// else any pass passes it, else it is shown only; the counts and test flags; the length of the first test
// that measured one and the smallest headroom.
void summarize(FiberResult& r);
// Summarizes and writes.
std::vector<uint8_t> fiberResultFile(FiberResult& r);

// Who and when a stored measurement is filed under.
struct Filing {
    std::string cableId;
    int64_t when = 0;  // the result's time; every test time moves with it
    std::string operatorName;
    bool retest = false;
};
// The same measurement filed again: name, times, operator and re-test flag changed in the summary and the
// test bodies, the measured curves and traces copied as stored. Empty when `file` is not a result file.
std::vector<uint8_t> refile(const std::vector<uint8_t>& file, const Filing& filing);

}  // namespace Kestrix::LinkGen
