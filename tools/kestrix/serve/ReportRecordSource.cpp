#include "ReportRecordSource.h"

#include "Escape.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Canvas.h"
#include "tester/report/HtmlSink.h"
#include "tester/report/RecordPages.h"
#include "tester/report/RecordPlots.h"
#include "tester/report/Report.h"
#include "tester/report/SummaryRows.h"

namespace kx::serve {

namespace {

using Kestrix::Tester::TestRecordTarvel;

RecordPlot plotOf(Kestrix::Report::Picture picture) {
    RecordPlot plot{picture.name, picture.title, nullptr};
    // The picture holds copies of what it draws, so it outlives the record.
    plot.svg = [p = std::move(picture)] { return Kestrix::Report::svgText(p); };
    return plot;
}

}  // namespace

RecordFacts ReportRecordSource::facts(TestRecordTarvel& record, const LibraryRecord& row, const std::string& file) {
    return RecordFacts{Kestrix::Report::summaryRow(record, row.project, row.site, file)};
}

RecordContent ReportRecordSource::content(TestRecordTarvel& record, const LibraryRecord& row, const std::string& file,
                                          const std::function<std::string(size_t)>& plotUrl) {
    Kestrix::Report::releaseFontCachesAtExit();
    RecordContent c;
    c.facts = facts(record, row, file);
    const Kestrix::Report::RecordPage page =
        Kestrix::Report::recordPage(record, c.facts.row, Kestrix::Report::ReportOptions());
    c.title = page.title;
    c.subtitle = page.subtitle;
    c.status = page.status;
    c.mark = page.mark;
    c.html = Kestrix::Report::htmlBlocks(page, [&](const Kestrix::Report::Picture& p, size_t i) {
        c.plots.push_back(plotOf(p));
        return "<figure class=\"plot\" data-name=\"" + html(p.name) + "\"><img src=\"" + html(plotUrl(i)) +
               "\" alt=\"" + html(p.title) + "\"></figure>";
    });
    // Every picture the record gives, at full size, beyond the page's choice.
    if (c.facts.row.damage.empty()) {
        const size_t first = c.plots.size();
        for (auto& p : Kestrix::Report::recordPictures(record, Kestrix::Report::PlotOptions{}))
            c.plots.push_back(plotOf(std::move(p)));
        if (c.plots.size() > first) {
            c.html += "<p class=\"all-plots\">Every plot at full size:";
            for (size_t i = first; i < c.plots.size(); ++i)
                c.html += " <a href=\"" + html(plotUrl(i)) + "\">" + html(c.plots[i].title) + "</a>";
            c.html += "</p>\n";
        }
    }
    return c;
}

std::string ReportRecordSource::pdfReport(const std::vector<std::string>& files, const std::string& out,
                                          const Kestrix::Report::ReportOptions& options) {
    return Kestrix::Report::writeReport(files, out, options);
}

}  // namespace kx::serve
