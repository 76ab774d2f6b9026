#include "tester/record/RecordCalibration.h"

#include <algorithm>
#include <chrono>

#include "tester/host/Printable.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

std::string day(HostDate d) { return HxDataDate::ToIso8601(d).substr(0, 10); }

std::string unitName(const Tester& t) {
    std::string s = std::string(t.IsMain ? "main unit " : "remote unit ") + printable(t.TesterSerialNumber);
    if (!t.ModuleName.empty() || !t.ModuleSerialNumber.empty())
        s += " (module " + printable(t.ModuleName) + (t.ModuleName.empty() ? "" : " ") +
             printable(t.ModuleSerialNumber) + ")";
    return s;
}

}  // namespace

bool calibrationOverdue(HostDate calibrated, HostDate at) {
    if (calibrated <= HxDataDate::Default1970()) return false;
    // By calendar day: a calibration on the same day a year earlier is not yet due.
    const auto day = [](HostDate d) { return HostDate(std::chrono::floor<std::chrono::days>(d)); };
    return day(calibrated) < day(HxDataDate::AddMonths(at, -12));
}

std::vector<std::string> calibrationWarnings(TestRecordTarvel& record) {
    std::vector<std::string> out;
    if (!record.ExtractMetaDataFromResult()) return out;
    std::vector<int> ids;
    if (record.IsCopper()) {
        ids.push_back(0);
    } else {
        for (const RecordTest& t : record.GetTests()) ids.push_back(t.TestId);
    }
    for (int id : ids) {
        const auto tm = record.GetTestMetaData(id);
        if (!tm) continue;
        for (const auto* unit : {&tm->Tester1, &tm->Tester2}) {
            if (!*unit || !calibrationOverdue((*unit)->ModuleCalDate, tm->TestTime)) continue;
            const std::string line = unitName(**unit) + " calibrated " + day((*unit)->ModuleCalDate) +
                                     ", more than a year before the test on " + day(tm->TestTime);
            if (std::find(out.begin(), out.end(), line) == out.end()) out.push_back(line);
        }
    }
    return out;
}

}  // namespace Kestrix::Tester
