// The software report and calibration date made from a tester's sysinfo reply, and the date and update
// reply parsers on the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tester/maintenance/SoftwareReport.h"
#include "tester/maintenance/UpdateStatus.h"

using namespace Kestrix::Tester;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CalDate date = parseSysinfoDate(text);
    if (!date.ok()) std::abort();
    if (date != kMinDate && formatDate(addMonths(date, 6)).size() != 10) std::abort();
    const int status = updateStatusFromReply(text);
    if (status < 0 || status > 12) std::abort();
    if (auto info = parseSysinfoReply(text)) {
        if (auto report = softwareReport(*info)) {
            if (report->size() < 2 || report->compare(report->size() - 2, 2, "\r\n") != 0) std::abort();
        }
        const ModuleCalibration cal = moduleCalibration(*info);
        if (!cal.date.ok()) std::abort();
    }
    return 0;
}
