// Tones and totals of the report's data.
#include "tester/report/ReportModel.h"

namespace Kestrix::Report {

void Totals::add(const SummaryRow& row) {
    ++records;
    switch (row.status) {
        case Tester::kHostStatusFail: ++fail; break;
        case Tester::kHostStatusPassStar: ++passStar; break;
        case Tester::kHostStatusPass: ++pass; break;
        case Tester::kHostStatusPassAcceptable: ++passAcceptable; break;
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
