#pragma once
// The page of one record as report blocks: a header of who, what, when and with which instruments, then by
// kind of result the tables and pictures a customer signs off (copper: worst case per frequency test,
// scalar tests, wiremap and key plots; loss/length: the loss budget; OTDR: link loss, acquisition, traces
// and events with their verdicts).
#include "tester/report/ReportModel.h"

namespace Kestrix::Tester {
class TestRecordTarvel;
}

namespace Kestrix::Report {

// Page geometry every sink shares: A4 in points, and the width between the margins.
inline constexpr double kPageWidth = 595, kPageHeight = 842, kPageMargin = 36;
inline constexpr double kContentWidth = kPageWidth - 2 * kPageMargin;

RecordPage recordPage(Tester::TestRecordTarvel& record, const SummaryRow& row, const ReportOptions& options);
// A page for an input whose tests cannot be read: what its summary still gives, and why.
RecordPage damagedPage(const SummaryRow& row);

}  // namespace Kestrix::Report
