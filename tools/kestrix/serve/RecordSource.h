#pragma once
// Where the viewer gets a record's certificate content, its row facts and PDF reports: one narrow seam over
// the report code, so the pages do not depend on how the report lays a record out.
#include <functional>
#include <string>
#include <vector>

#include "Library.h"

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
    std::string html;  // the certificate's body: figures and tables, every text escaped
    std::vector<RecordPlot> plots;
};

class RecordSource {
public:
    virtual ~RecordSource() = default;
    // What the table filters and sorts by.
    virtual RecordFacts facts(Kestrix::Tester::TestRecordTarvel& record) = 0;
    // The record page's certificate content and plots; `row` gives what the import knows (project, site).
    virtual RecordContent content(Kestrix::Tester::TestRecordTarvel& record, const LibraryRecord& row) = 0;
    // A PDF report of the result files, written to `out`; "" or why not.
    virtual std::string pdfReport(const std::vector<std::string>& files, const std::string& out,
                                  const std::string& title) = 0;
};

}  // namespace kx::serve
