// Pictures of a record, drawn from the host objects the record gives.
#include "tester/report/RecordPlots.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "copper/CopperTest.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Chart.h"
#include "tester/report/PlotDrawing.h"

namespace Kestrix::Report {

namespace {

using Tester::TestRecordTarvel;

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

void addOtdr(std::vector<Picture>& out, TestRecordTarvel& record, const PlotOptions& o) {
    for (int end : {1, 2}) {
        if (!endWanted(o, end) || !record.HasOtdrTest(end)) continue;
        auto test = record.GetOtdrTest(end);
        auto plots = record.GetOtdrPlotData(end, false);
        if (!test) continue;
        OtdrView view;
        view.test = std::make_shared<Tester::OtdrTest>(std::move(*test));
        if (plots) view.plots = std::make_shared<Tester::OtdrPlotData>(std::move(*plots));
        view.feet = o.feet;
        view.title = std::string("OTDR") + endSuffix(end);
        out.push_back(otdrPicture("otdr", view, o.compact));
    }
    for (int end : {1, 2}) {
        if (!endWanted(o, end) || !record.HasRealTimeOtdrTest(end)) continue;
        auto test = record.GetRealTimeOtdrTest(end);
        auto plots = record.GetRealTimeOtdrPlotData(end);
        if (!test || !plots) continue;
        OtdrView view;
        view.test = std::make_shared<Tester::OtdrTest>(std::move(*test));
        view.plots = std::make_shared<Tester::OtdrPlotData>(std::move(*plots));
        view.feet = o.feet;
        view.title = std::string("Real-time trace") + endSuffix(end);
        out.push_back(otdrPicture("rtt", view, o.compact));
    }
    if (o.end == 0 && record.HasOtdrBidirAvgTest()) {
        if (auto test = record.GetOtdrTest(3)) {
            OtdrView view;
            view.test = std::make_shared<Tester::OtdrTest>(std::move(*test));
            view.feet = o.feet;
            view.title = "Bidirectional OTDR average";
            out.push_back(otdrPicture("otdr-bidir", view, o.compact));
        }
    }
    if (o.end == 0 && record.HasFaultMapTest()) {
        auto test = record.GetFaultMapOtdrTest();
        auto plots = record.GetFaultMapPlotData();
        if (test) {
            OtdrView view;
            view.test = std::make_shared<Tester::OtdrTest>(std::move(*test));
            if (plots) view.plots = std::make_shared<Tester::OtdrPlotData>(std::move(*plots));
            view.feet = o.feet;
            view.title = "Fault map";
            out.push_back(otdrPicture("faultmap", view, o.compact));
        }
    }
}

void addImages(std::vector<Picture>& out, TestRecordTarvel& record, const PlotOptions& o) {
    for (int end : {1, 2}) {
        if (!endWanted(o, end) || !record.HasImageTest(end)) continue;
        auto test = record.GetImageTest(end);
        if (!test) continue;
        out.push_back(imagePicture(std::make_shared<Tester::FiberImageTest>(std::move(*test)),
                                   std::string("End-face image") + endSuffix(end), o.compact));
    }
}

void addCopper(std::vector<Picture>& out, TestRecordTarvel& record, const PlotOptions& o) {
    const CopperTest* copper = record.GetCopperTest();
    if (copper == nullptr) return;
    if (record.HasWireMapTest()) {
        if (auto wm = record.GetWireMapTest()) {
            // The display data borrows from a decoded test, so the picture keeps its own record.
            auto own = std::make_shared<TestRecordTarvel>(record.SerializedResult());
            out.push_back(wiremapPicture(std::move(own), *wm, o.feet, o.compact));
        }
    }
    for (const CopperKind& k : kCopperKinds) {
        for (int end : {1, 2}) {
            if (!endWanted(o, end) || !record.HasPlotData(k.id, end)) continue;
            auto plot = record.GetPlotDataTp(k.id, end);
            if (!plot) continue;
            CopperView view;
            view.plot = std::make_shared<Tester::PlotDataTp>(std::move(*plot));
            if (auto ft = record.GetFrequencyTest(k.id))
                view.test = std::make_shared<Tester::FrequencyTest>(std::move(*ft));
            view.name = k.name;
            view.title = std::string(k.title) + (end == 2 ? " (remote end)" : "");
            view.feet = o.feet;
            out.push_back(copperPicture(view, o.compact));
        }
    }
}

}  // namespace

std::vector<Picture> recordPictures(TestRecordTarvel& record, const PlotOptions& options) {
    std::vector<Picture> out;
    if (record.IsFiber()) {
        addOtdr(out, record, options);
        addImages(out, record, options);
    } else if (record.GetCopperTest() != nullptr) {
        addCopper(out, record, options);
    }
    return out;
}

const std::vector<std::string>& pictureNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n{"otdr", "rtt", "otdr-bidir", "faultmap", "image", "wiremap"};
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
