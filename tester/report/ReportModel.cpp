// Tones and totals of the report's data.
#include "tester/report/ReportModel.h"

namespace Kestrix::Report {

Tone statusTone(int hostStatus) {
    switch (hostStatus) {
        case 0: return Tone::fail;
        case 3: return Tone::warn;
        case 4:
        case 7: return Tone::pass;
        default: return Tone::muted;
    }
}

Rgb toneColour(Tone t) {
    switch (t) {
        case Tone::muted: return colors::kNeutral;
        case Tone::pass: return colors::kPass;
        case Tone::warn: return colors::kWarn;
        case Tone::fail: return colors::kFail;
        default: return colors::kText;
    }
}

void Totals::add(const SummaryRow& row) {
    ++records;
    switch (row.status) {
        case 0: ++fail; break;
        case 3: ++passStar; break;
        case 4: ++pass; break;
        case 7: ++passAcceptable; break;
        default: ++noVerdict; break;
    }
    if (!row.conflict.empty()) ++conflicts;
    if (!row.damage.empty()) ++damaged;
}

std::string Totals::text() const {
    const auto n = [](size_t v) { return std::to_string(v); };
    std::string s =
        n(records) + (records == 1 ? " record: " : " records: ") + n(pass) + " pass, " + n(passStar) + " pass*, ";
    if (passAcceptable) s += n(passAcceptable) + " pass (acceptable), ";
    s += n(fail) + " fail";
    if (noVerdict) s += ", " + n(noVerdict) + " without verdict";
    if (conflicts) s += "; " + n(conflicts) + (conflicts == 1 ? " verdict conflict" : " verdict conflicts");
    if (damaged) s += "; " + n(damaged) + " damaged";
    return s;
}

}  // namespace Kestrix::Report
