// Pictures of a record, drawn from the host objects the record gives.
#include "tester/report/RecordPlots.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>

#include "copper/CopperTest.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Chart.h"

namespace Kestrix::Report {

namespace {

using Tester::TestRecordTarvel;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct CopperKind {
    int id;
    const char* name;
    const char* title;
};

// Host copper test ids in report order.
constexpr CopperKind kCopperKinds[] = {
    {7, "il", "Insertion loss"}, {8, "next", "NEXT"},      {9, "psnext", "PSNEXT"},    {10, "acrn", "ACR-N"},
    {11, "psacrn", "PS ACR-N"},  {12, "acrf", "ACR-F"},    {13, "psacrf", "PS ACR-F"}, {14, "rl", "Return loss"},
    {34, "tcl", "TCL"},          {35, "tctl", "TCTL"},     {36, "cmrl", "CMRL"},       {37, "cdnext", "CDNEXT"},
    {38, "cdfext", "CDFEXT"},    {39, "eltctl", "ELTCTL"}, {16, "tdr", "TDR"},         {17, "tdx", "TDX"},
};

bool endWanted(const PlotOptions& o, int end) { return o.end == 0 || o.end == end; }

std::string endSuffix(int end) { return end == 2 ? " (end 2)" : end == 1 ? " (end 1)" : ""; }

std::string withCaption(const std::string& title, const PlotOptions& o) {
    return o.caption.empty() ? title : title + " \u2013 " + o.caption;
}

// The trace cut down to the columns asked for; a copy either way.
std::shared_ptr<const Tester::OtdrPlotData> ownPlots(Tester::OtdrPlotData plots, size_t columns) {
    if (columns > 0) {
        for (auto& s : plots.Series) {
            double lo = 0, hi = 0;
            Chart::extend(lo, hi, s.X);
            Curve c = reduceCurve(s.X, s.Y, lo, hi, columns);
            s.X = std::move(c.x);
            s.Y = std::move(c.y);
        }
        plots.BellcoreSeries.clear();
    }
    return std::make_shared<const Tester::OtdrPlotData>(std::move(plots));
}

CopperView copperView(TestRecordTarvel& record, const CopperKind& kind, const Tester::PlotDataTp& p,
                      const PlotOptions& o) {
    CopperView v;
    v.testId = kind.id;
    v.end = p.End;
    v.name = kind.name;
    v.title = withCaption(std::string(kind.title) + (p.End == 2 ? " (remote end)" : ""), o);
    v.feet = o.feet;
    v.timeDomain = p.TestId == 16 || p.TestId == 17;
    v.labels = p.PairText;
    if (!v.timeDomain) {
        if (auto ft = record.GetFrequencyTest(kind.id)) {
            v.status = ft->Status;
            v.verdict = true;
            WorstMargin wm;
            if (worstMarginOf(*ft, p.End, wm)) v.worst = wm;
        }
    }
    double xLo = 0, xHi = 0, yLo = std::numeric_limits<double>::infinity(), yHi = -yLo;
    size_t points = 0;
    for (const auto& c : p.Curves) {
        if (v.timeDomain) {
            Chart::extend(xLo, xHi, c.X);
        } else {
            points = std::max(points, std::min(c.Y.size(), p.X.size()));
        }
        Chart::extend(yLo, yHi, c.Y);
    }
    if (!v.timeDomain && points > 0) xHi = p.X[points - 1];
    if (!(xHi > xLo)) xHi = xLo + 1;
    const auto cut = [&](std::vector<double> x, std::vector<double> y) {
        if (o.columns == 0) return Curve{std::move(x), std::move(y)};
        return reduceCurve(x, y, xLo, xHi, o.columns);
    };
    for (const auto& c : p.Curves) {
        if (v.timeDomain) {
            v.curves.push_back({c.Pair, cut(c.X, c.Y)});
        } else {
            const size_t n = std::min(p.X.size(), c.Y.size());
            v.curves.push_back({c.Pair, cut(std::vector<double>(p.X.begin(), p.X.begin() + static_cast<long>(n)),
                                            std::vector<double>(c.Y.begin(), c.Y.begin() + static_cast<long>(n)))});
        }
    }
    if (!v.timeDomain) {
        for (const auto& l : p.LimitCurves) {
            const size_t n = std::min({points, l.Y.size(), p.X.size()});
            std::vector<double> y(l.Y.begin(), l.Y.begin() + static_cast<long>(n));
            Chart::extend(yLo, yHi, y);
            v.limits.push_back({l.Pair, cut(std::vector<double>(p.X.begin(), p.X.begin() + static_cast<long>(n)), y)});
        }
    }
    if (!(yHi > yLo)) {
        yLo = 0;
        yHi = 1;
    }
    const double pad = (yHi - yLo) * 0.08;
    v.xLo = xLo;
    v.xHi = xHi;
    if (v.timeDomain) {
        v.xLabel = o.feet ? "Distance (ft)" : "Distance (m)";
        v.yLabel = "Amplitude";
        v.yLo = yLo - pad;
        v.yHi = yHi + pad;
    } else {
        v.xLabel = "Frequency (MHz)";
        v.yLabel = "dB";
        v.yLo = std::min(0.0, yLo - pad);
        v.yHi = yHi + pad * 3;
    }
    return v;
}

void addOtdrPictures(std::vector<Picture>& out, TestRecordTarvel& record, const PlotOptions& o) {
    for (auto& [name, view] : otdrViews(record, o)) out.push_back(otdrPicture(name, view, o.compact));
}

void addImages(std::vector<Picture>& out, TestRecordTarvel& record, const PlotOptions& o) {
    for (int end : {1, 2}) {
        if (!endWanted(o, end) || !record.HasImageTest(end)) continue;
        auto test = record.GetImageTest(end);
        if (!test) continue;
        out.push_back(imagePicture(std::make_shared<Tester::FiberImageTest>(std::move(*test)),
                                   withCaption(std::string("End-face image") + endSuffix(end), o), o.compact));
    }
}

void addCopper(std::vector<Picture>& out, TestRecordTarvel& record, const PlotOptions& o) {
    if (record.GetCopperTest() == nullptr) return;
    if (hasWiremapPicture(record)) {
        if (auto wm = record.GetWireMapTest()) {
            // The display data borrows from a decoded test, so the picture keeps its own record.
            auto own = std::make_shared<TestRecordTarvel>(record.SerializedResult());
            Picture p = wiremapPicture(std::move(own), *wm, o.feet, o.compact);
            out.push_back(std::move(p));
        }
    }
    for (const CopperView& v : copperViews(record, o)) out.push_back(copperPicture(v, o.compact));
}

}  // namespace

bool hasWiremapPicture(TestRecordTarvel& record) {
    const CopperTest* test = record.GetCopperTest();
    return test != nullptr && !test->getCable().isCoax() && record.HasWireMapTest();
}

std::string recordCaption(TestRecordTarvel& record) {
    const auto meta = record.ExtractMetaDataFromResult();
    if (!meta) return "";
    std::string date = Tester::HxDataDate::ToIso8601(meta->TestDate);
    if (date.size() >= 16) date = date.substr(0, 10) + " " + date.substr(11, 5);
    const std::string id = cleanText(meta->CableID, 60);
    return (id.empty() ? std::string("(no cable id)") : id) + ", " + date;
}

std::vector<CopperView> copperViews(TestRecordTarvel& record, const PlotOptions& o) {
    std::vector<CopperView> views;
    if (record.GetCopperTest() == nullptr) return views;
    for (const CopperKind& k : kCopperKinds) {
        const size_t first = views.size();
        for (int end : {1, 2}) {
            if (!endWanted(o, end) || !record.HasPlotData(k.id, end)) continue;
            if (auto plot = record.GetPlotDataTp(k.id, end)) views.push_back(copperView(record, k, *plot, o));
        }
        // Main and remote on the same axes and ticks.
        for (size_t i = first + 1; i < views.size(); ++i) {
            views[first].xLo = std::min(views[first].xLo, views[i].xLo);
            views[first].xHi = std::max(views[first].xHi, views[i].xHi);
            views[first].yLo = std::min(views[first].yLo, views[i].yLo);
            views[first].yHi = std::max(views[first].yHi, views[i].yHi);
        }
        for (size_t i = first + 1; i < views.size(); ++i) {
            views[i].xLo = views[first].xLo;
            views[i].xHi = views[first].xHi;
            views[i].yLo = views[first].yLo;
            views[i].yHi = views[first].yHi;
        }
    }
    return views;
}

std::vector<std::pair<std::string, OtdrView>> otdrViews(TestRecordTarvel& record, const PlotOptions& o) {
    std::vector<std::pair<std::string, OtdrView>> out;
    if (!record.IsFiber()) return out;
    const auto add = [&](const std::string& name, boost::optional<Tester::OtdrTest> test,
                         boost::optional<Tester::OtdrPlotData> plots, const std::string& title) {
        if (!test) return;
        OtdrView view;
        view.test = std::make_shared<const Tester::OtdrTest>(std::move(*test));
        if (plots) view.plots = ownPlots(std::move(*plots), o.columns);
        view.feet = o.feet;
        view.title = withCaption(title, o);
        out.emplace_back(name, std::move(view));
    };
    for (int end : {1, 2})
        if (endWanted(o, end) && record.HasOtdrTest(end))
            add("otdr", record.GetOtdrTest(end), record.GetOtdrPlotData(end, false), "OTDR" + endSuffix(end));
    for (int end : {1, 2})
        if (endWanted(o, end) && record.HasRealTimeOtdrTest(end)) {
            auto plots = record.GetRealTimeOtdrPlotData(end);
            if (plots)
                add("rtt", record.GetRealTimeOtdrTest(end), std::move(plots), "Real-time trace" + endSuffix(end));
        }
    if (o.end == 0 && record.HasOtdrBidirAvgTest())
        add("otdr-bidir", record.GetOtdrTest(3), boost::none, "Bidirectional OTDR average");
    if (o.end == 0 && record.HasFaultMapTest())
        add("faultmap", record.GetFaultMapOtdrTest(), record.GetFaultMapPlotData(), "Fault map");
    return out;
}

std::vector<LossBar> lossBars(TestRecordTarvel& record) {
    std::vector<LossBar> bars;
    if (!record.IsFiber()) return bars;
    for (int end : {1, 2}) {
        const auto t = record.GetLossTest(end);
        if (!t) continue;
        for (const auto& m : t->Measurements) {
            const Tester::MeasParam* v = m.Find(Tester::MeasKind::Value);
            if (v == nullptr || !std::isfinite(v->Value) || !m.Wavelength) continue;
            const Tester::MeasParam* limit = m.Find(Tester::MeasKind::UpperLimit);
            bars.push_back({*m.Wavelength, end, v->Value, limit != nullptr ? limit->Value : kNaN, m.Status});
        }
    }
    if (!bars.empty()) return bars;
    for (int end : {1, 2}) {
        const auto t = record.GetPowerTest(end);
        if (!t) continue;
        for (const auto& m : t->Measurements) {
            const Tester::MeasParam* loss = m.Find(Tester::kKindLoss);
            const Tester::MeasParam* value = m.Find(Tester::MeasKind::Value);
            // The measurements in dBm (unit 2) carry the loss; the ones in watts repeat it.
            if (loss == nullptr || value == nullptr || value->Unit != 2 || !std::isfinite(loss->Value) || !m.Wavelength)
                continue;
            bars.push_back({*m.Wavelength, end, loss->Value, kNaN, m.Status});
        }
    }
    std::sort(bars.begin(), bars.end(), [](const LossBar& a, const LossBar& b) {
        return a.wavelength != b.wavelength ? a.wavelength < b.wavelength : a.end < b.end;
    });
    return bars;
}

std::vector<Picture> recordPictures(TestRecordTarvel& record, const PlotOptions& options) {
    std::vector<Picture> out;
    if (record.IsFiber()) {
        addOtdrPictures(out, record, options);
        addImages(out, record, options);
        std::vector<LossBar> bars = lossBars(record);
        if (options.end != 0)
            bars.erase(std::remove_if(bars.begin(), bars.end(), [&](const LossBar& b) { return b.end != options.end; }),
                       bars.end());
        if (!bars.empty())
            out.push_back(lossPicture(bars, withCaption("Loss against budget", options), options.compact));
    } else if (record.GetCopperTest() != nullptr) {
        addCopper(out, record, options);
    }
    return out;
}

const std::vector<std::string>& pictureNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n{"otdr", "rtt", "otdr-bidir", "faultmap", "image", "wiremap", "loss"};
        for (const CopperKind& k : kCopperKinds) n.emplace_back(k.name);
        return n;
    }();
    return names;
}

const char* otdrEventName(int hostType) {
    switch (hostType) {
        case 0: return "Cassette";
        case 1: return "Bulkhead";
        case 2: return "Launch";
        case 3: return "Tail";
        case 4: return "Loss";
        case 5: return "Reflection";
        case 6: return "Gainer";
        case 7: return "Echo";
        case 8: return "Echo source";
        case 9: return "Hidden";
        case 10: return "End";
        case 11: return "Hidden end";
        case 12: return "Weak signal";
        case 13: return "Out of range";
        case 14: return "No signal";
        case 15: return "No fiber";
        case 16: return "Bend";
        case 17: return "Splitter";
        case 18: return "Connector";
        case 19: return "Splice";
        default: return "Event";
    }
}

}  // namespace Kestrix::Report
