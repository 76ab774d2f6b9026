#pragma once
// Where the viewer gets a record's facts, its page and PDF reports: one narrow seam over the report, so the
// pages do not depend on how the report lays a record out.
#include <functional>
#include <string>
#include <vector>

#include "Library.h"
#include "tester/report/ReportModel.h"

namespace Kestrix::Tester {
class TestRecordTarvel;
}

namespace kx::serve {

struct RecordPlot {
    std::string name;   // short name ("otdr", "next", ...)
    std::string title;  // what a person reads
    // Draws it as a whole SVG document, when a browser asks for it: a page shows before its plots are drawn.
    std::function<std::string()> svg;
};

struct RecordContent {
    RecordFacts facts;  // the row the page was made with
    // The page's head: what the report's page shows above its blocks.
    std::string title, subtitle;
    int status = -1;   // the stored verdict; -1 for none
    std::string mark;  // "VERDICT CONFLICT", "DAMAGED", or ""
    // The certificate's body: fields, tables, notes and figures, every text escaped. The figures are images of
    // `plotUrl(i)`, each the i-th of `plots`.
    std::string html;
    std::vector<RecordPlot> plots;
};

class RecordSource {
public:
    virtual ~RecordSource() = default;
    // What the table filters and sorts by; `row` gives what the import knows (project, site), `file` the name
    // the row gives the result file.
    virtual RecordFacts facts(Kestrix::Tester::TestRecordTarvel& record, const LibraryRecord& row,
                              const std::string& file) = 0;
    // The record page's content; `plotUrl` gives the address of its i-th plot.
    virtual RecordContent content(Kestrix::Tester::TestRecordTarvel& record, const LibraryRecord& row,
                                  const std::string& file, const std::function<std::string(size_t)>& plotUrl) = 0;
    // A PDF report of the result files, written to `out`; "" or why not.
    virtual std::string pdfReport(const std::vector<std::string>& files, const std::string& out,
                                  const Kestrix::Report::ReportOptions& options) = 0;
};

}  // namespace kx::serve
