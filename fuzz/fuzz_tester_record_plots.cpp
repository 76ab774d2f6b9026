// Plots, report rows and pages of a test record over arbitrary result bytes: every picture the record gives
// is drawn (PNG and SVG), its summary row and its report page made (and written as text), and the page's
// figures drawn as SVG. None may crash, read out of bounds or stall.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tester/record/TestRecordTarvel.h"
#include "tester/report/RecordPlots.h"
#include "tester/report/RecordPages.h"
#include "tester/report/RecordText.h"
#include "tester/report/SummaryRows.h"

// fontconfig keeps its font caches behind offsets rather than pointers, so the leak checker cannot see
// that they are still reachable: they are no leak of an input.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Kestrix;
    Tester::TestRecordTarvel record(std::vector<uint8_t>(data, data + size));
    const Report::SummaryRow row = Report::summaryRow(record, "p", "s");
    const Report::RecordPage page = Report::recordPage(record, row, {});
    Report::pageText(page);
    if ((size & 8) != 0)
        for (const auto& block : page.blocks)
            if (const auto* g = std::get_if<Report::FigureGrid>(&block))
                for (const auto& p : g->pictures) Report::svgElement(p, "f");
    Report::PlotOptions o;
    o.compact = (size & 1) != 0;
    o.feet = (size & 2) != 0;
    for (const auto& p : Report::recordPictures(record, o)) {
        Report::pngBytes(p);
        if ((size & 4) != 0) Report::svgText(p);
    }
    return 0;
}
