#pragma once
// The certification report: a summary of every record (one row each, with totals) followed by one page per
// record with its key figures and plots; as a PDF, or as one self-contained HTML page with inline SVG.
#include <string>
#include <vector>

namespace Kestrix::Tester {
class TestRecordTarvel;
}

namespace Kestrix::Report {

struct SummaryRow {
    std::string project, site, cableId, date, tester, limit;
    int status = 6;           // host status
    double lengthMeters = 0;  // NaN when unknown
    double worstMargin = 0;   // NaN when nothing was judged against a limit
    bool copper = false;
};

// The summary row of a record; project and site as given (the importer's record file holds them).
SummaryRow summaryRow(Tester::TestRecordTarvel& record, const std::string& project, const std::string& site);

// The result files named: files as they are, folders searched (recursively) for "*.result", sorted by
// path. "" or why not (a missing input, no result file at all).
std::string collectInputs(const std::vector<std::string>& inputs, std::vector<std::string>& files);

struct ReportOptions {
    std::string title = "Certification report";
    bool html = false;
    bool feet = false;
};

// Reads each file twice (summary, then its page) so memory stays that of one record. Written through a
// temporary name. "" or why not; a file that is not a readable result makes the whole report fail.
std::string writeReport(const std::vector<std::string>& files, const std::string& out, const ReportOptions& options);

}  // namespace Kestrix::Report
