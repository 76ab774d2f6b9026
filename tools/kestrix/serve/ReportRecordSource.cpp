#include "ReportRecordSource.h"

#include <cmath>
#include <cstdio>
#include <set>

#include "Escape.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Canvas.h"
#include "tester/report/Chart.h"
#include "tester/report/RecordPlots.h"
#include "tester/report/Report.h"
#include "tester/report/SummaryRows.h"

namespace kx::serve {

namespace {

using Kestrix::Tester::TestRecordTarvel;

std::string fmt(const char* f, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, v);
    return buf;
}

std::string marginText(double m) { return std::isfinite(m) ? fmt("%.1f dB", m) : "-"; }
std::string lengthText(double m) { return std::isfinite(m) && m > 0 ? fmt("%.1f m", m) : "-"; }

bool passing(int hostStatus) { return hostStatus == 3 || hostStatus == 4 || hostStatus == 7; }

// A fiber test's kind from its host name: "OTDR End 2" is an OTDR test.
std::string kindOf(const std::string& testName) {
    std::string n = testName;
    for (const char* end : {" End 1", " End 2"})
        if (n.size() > 6 && n.compare(n.size() - 6, 6, end) == 0) n.resize(n.size() - 6);
    if (n == "Bidirectional OTDR") return "OTDR";
    if (n == "Loss Length") return "Loss/length";
    if (n == "Power Meter") return "Power meter";
    if (n == "Image") return "End-face image";
    if (n == "FaultMap") return "Fault map";
    if (n == "Real Time Trace") return "Real-time trace";
    return n;
}

std::string statusBadge(int status) {
    const char* word = Kestrix::Report::statusWord(status);
    const char* cls = status == 0 ? "fail" : passing(status) ? (status == 3 ? "passstar" : "pass") : "none";
    return std::string("<span class=\"badge ") + cls + "\">" + html(word) + "</span>";
}

}  // namespace

RecordFacts ReportRecordSource::facts(TestRecordTarvel& record) {
    RecordFacts f;
    const auto meta = record.ExtractMetaDataFromResult();
    if (!meta) {
        f.error = "the result cannot be read";
        f.worstMargin = std::nan("");
        return f;
    }
    f.media = meta->Media == Kestrix::Tester::kMediaCopper  ? "Copper"
              : meta->Media == Kestrix::Tester::kMediaFiber ? "Fiber"
              : meta->Media == Kestrix::Tester::kMediaCoax  ? "Coax"
                                                            : "";
    const auto row = Kestrix::Report::summaryRow(record, "", "");
    f.limit = row.limit;
    f.worstMargin = row.worst ? row.worst->margin : std::nan("");
    f.worstMarginText = marginText(f.worstMargin);
    const auto tests = record.GetTests();
    std::vector<std::string> kinds;
    std::set<std::string> seen;
    std::string failing;
    for (const auto& t : tests) {
        if (f.testerSerial.empty())
            if (auto tm = record.GetTestMetaData(t.TestId); tm && tm->Tester1)
                f.testerSerial = tm->Tester1->TesterSerialNumber;
        const std::string kind = meta->Media == Kestrix::Tester::kMediaCopper ? "Twisted pair"
                                 : meta->Media == Kestrix::Tester::kMediaCoax ? "Coax"
                                                                              : kindOf(t.Name);
        if (seen.insert(kind).second) kinds.push_back(kind);
        if (t.Status == 0) failing += (failing.empty() ? "" : ", ") + t.Name;
    }
    for (const auto& k : kinds) f.testType += (f.testType.empty() ? "" : " + ") + k;
    if (passing(meta->Status) && !failing.empty()) {
        f.verdictConflict = true;
        f.conflict = std::string(Kestrix::Report::statusWord(meta->Status)) + " with failing tests: " + failing;
    } else if (meta->Status == 0 && !tests.empty() && failing.empty()) {
        f.verdictConflict = true;
        f.conflict = "FAIL without a failing test";
    }
    return f;
}

RecordContent ReportRecordSource::content(TestRecordTarvel& record, const LibraryRecord& row) {
    RecordContent c;
    const auto summary = Kestrix::Report::summaryRow(record, row.project, row.site);
    std::vector<std::pair<std::string, std::string>> figures = {
        {"Project", summary.project},
        {"Site", summary.site},
        {"Date", summary.date},
        {"Tester", summary.testerModel + " " + summary.testerSerial},
        {"Limit", summary.limit},
        {"Length", lengthText(summary.lengthMeters)},
        {"Worst margin", marginText(summary.worst ? summary.worst->margin : std::nan(""))},
    };
    if (record.IsFiber()) {
        for (int end : {1, 2}) {
            auto loss = record.GetLossTest(end);
            if (!loss) continue;
            for (const auto& m : loss->Measurements) {
                const Kestrix::Tester::MeasParam* v = m.Find(Kestrix::Tester::MeasKind::Value);
                if (v == nullptr || !m.Wavelength) continue;
                figures.push_back({"Loss " + std::to_string(*m.Wavelength) + " nm (end " + std::to_string(end) + ")",
                                   std::isfinite(v->Value) ? fmt("%.2f dB", v->Value) : "-"});
            }
        }
    }
    c.html = "<table class=\"figures\">";
    for (const auto& [label, value] : figures) {
        const std::string cls = label == "Worst margin" ? " class=\"worst-margin\"" : "";
        c.html += "<tr" + cls + "><th>" + html(label) + "</th><td>" + html(value.empty() ? "-" : value) + "</td></tr>";
    }
    c.html += "</table>\n<table class=\"tests\"><tr><th>Test</th><th>Verdict</th></tr>";
    for (const auto& t : record.GetTests())
        c.html += "<tr><td>" + html(t.Name) + "</td><td>" + statusBadge(t.Status) + "</td></tr>";
    c.html += "</table>\n";

    Kestrix::Report::releaseFontCachesAtExit();
    // Each picture holds copies of what it draws, so it outlives the record.
    for (auto& p : Kestrix::Report::recordPictures(record, Kestrix::Report::PlotOptions{})) {
        RecordPlot plot{p.name, p.title, nullptr};
        plot.svg = [picture = std::move(p)] { return Kestrix::Report::svgText(picture); };
        c.plots.push_back(std::move(plot));
    }
    return c;
}

std::string ReportRecordSource::pdfReport(const std::vector<std::string>& files, const std::string& out,
                                          const std::string& title) {
    Kestrix::Report::ReportOptions o;
    o.title = title;
    return Kestrix::Report::writeReport(files, out, o);
}

}  // namespace kx::serve
