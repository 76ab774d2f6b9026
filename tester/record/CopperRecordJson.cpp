#include "tester/record/CopperRecordJson.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

const char* paramName(MeasKind k) {
    switch (k) {
        case MeasKind::Value: return "value";
        case MeasKind::LowerLimit: return "lower limit";
        case MeasKind::UpperLimit: return "upper limit";
        case MeasKind::MarginLower: return "margin";
        case MeasKind::MarginUpper: return "margin";
        case MeasKind::Frequency: return "at MHz";
    }
    return "?";
}

std::string formatted(const MeasParam& p) {
    if (std::isnan(p.Value)) return "none";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", p.Precision < 0 ? 0 : (p.Precision > 6 ? 6 : p.Precision), p.Value);
    return buf;
}

void appendMeasurements(std::string& out, const MeasuredTest& t) {
    char head[96];
    std::snprintf(head, sizeof head, "  test %d: status %d, %zu measurements\n", t.TestId, t.Status,
                  t.Measurements.size());
    out += head;
    for (const SingleMeasurement& m : t.Measurements) {
        std::string line = "    pair " + std::to_string(m.Pair);
        const std::string label = t.PairText.LabelOf(m.Pair);
        if (!label.empty()) line += " (" + label + ")";
        if (m.CopperEnd != 0) line += " end " + std::to_string(m.CopperEnd);
        if (m.CopperEnd != 0) line += m.IsWorstMarginSpecified ? " worst margin" : " worst value";
        line += ": status " + std::to_string(m.Status);
        for (const MeasParam& p : m.Params) line += std::string(", ") + paramName(p.Kind) + " " + formatted(p);
        out += line + "\n";
    }
}

}  // namespace

const std::vector<int>& copperScalarTestIds() {
    static const std::vector<int> ids = {1, 2, 3, 4, 40, 41, 5};
    return ids;
}

const std::vector<int>& copperFrequencyTestIds() {
    static const std::vector<int> ids = {7, 8, 9, 10, 11, 12, 13, 14, 34, 35, 36, 37, 38, 39};
    return ids;
}

const std::vector<int>& copperPlotTestIds() {
    static const std::vector<int> ids = {7, 8, 9, 10, 11, 12, 13, 14, 34, 35, 36, 37, 38, 39, 16, 17};
    return ids;
}

Json::Value copperTestsJson(TestRecordTarvel& record, bool withPlots) {
    JsonTreeSink s;
    writeCopperTests(record, withPlots, s);
    return s.take();
}

void writeCopperTests(TestRecordTarvel& record, bool withPlots, JsonSink& s) {
    if (record.GetCopperTest() == nullptr) return s.null();
    // Members in name order: the text sink then has nothing to sort.
    s.beginObject();
    s.key("FrequencyTests");
    s.beginArray();
    for (int id : copperFrequencyTestIds())
        if (const auto t = record.GetFrequencyTest(id)) t->writeJson(s);
    s.endArray();
    if (withPlots) {
        s.key("PlotData");
        s.beginArray();
        for (int id : copperPlotTestIds())
            for (int end = 1; end <= 2; ++end)
                if (const auto p = record.GetPlotDataTp(id, end)) s.value(p->toJson());
        s.endArray();
    }
    s.key("ScalarTests");
    s.beginArray();
    for (int id : copperScalarTestIds())
        if (const auto t = record.GetScalarTest(id)) t->writeJson(s);
    s.endArray();
    s.key("TdrCoaxTest");
    if (const auto tdr = record.GetTdrCoaxTest())
        tdr->writeJson(s);
    else
        s.null();
    s.key("WireMapTest");
    if (const auto wiremap = record.GetWireMapTest())
        wiremap->writeJson(s);
    else
        s.null();
    s.key("WireMapText");
    s.beginArray();
    for (const std::string& line : record.GetWireMapText()) s.string(line);
    s.endArray();
    s.endObject();
}

std::string copperTestsText(TestRecordTarvel& record) {
    if (record.GetCopperTest() == nullptr) return {};
    std::string out = "Copper tests:\n";
    for (int id : copperScalarTestIds())
        if (const auto t = record.GetScalarTest(id)) appendMeasurements(out, *t);
    for (int id : copperFrequencyTestIds())
        if (const auto t = record.GetFrequencyTest(id)) appendMeasurements(out, *t);
    if (const auto tdr = record.GetTdrCoaxTest()) {
        MeasuredTest t(16, true);
        t.Status = tdr->Measurement.Status;
        t.Measurements.push_back(tdr->Measurement);
        appendMeasurements(out, t);
    }
    if (const auto w = record.GetWireMapTest()) {
        out += "Wiremap: status " + std::to_string(w->Status) + ", " + w->WireMapTypeText;
        if (w->SplitPair) out += ", split pair " + std::to_string(*w->SplitPair);
        out += "\n";
        for (const std::string& line : record.GetWireMapText()) out += "  |" + line + "|\n";
    }
    return out;
}

}  // namespace Kestrix::Tester
