#include "tester/record/FiberRecordJson.h"

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

template <typename T>
void writeOrNull(JsonSink& s, const boost::optional<T>& v) {
    if (v)
        v->writeJson(s);
    else
        s.null();
}

std::string valueText(const FiberMeasurement* m, const char* unit) {
    const MeasParam* p = m != nullptr ? m->Find(MeasKind::Value) : nullptr;
    if (p == nullptr || !std::isfinite(p->Value)) return "--";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f %s", p->Precision, p->Value, unit);
    return buf;
}

// Text from the tester for a terminal: control characters become '?'.
std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return out;
}

}  // namespace

Json::Value fiberTestsJson(TestRecordTarvel& record, bool plots) {
    JsonTreeSink s;
    writeFiberTests(record, plots, s);
    return s.take();
}

namespace {

// The bidirectional average of a record with OTDR tests at both ends: the test, or why there is none.
void writeBidirAvg(JsonSink& s, TestRecordTarvel& record) {
    if (!record.HasOtdrTest(1) || !record.HasOtdrTest(2)) return s.null();
    const auto bidi = record.GenerateOtdrBidirAvgFromResult();
    s.beginObject();
    if (bidi.Test) {
        s.key("Test");
        bidi.Test->writeJson(s);
    } else {
        s.member("ErrorId", bidi.ErrorId);
    }
    s.endObject();
}

// {"<host test id>": [wavelength, ...]} for the fiber tests that have any.
void writeTestedWavelengths(JsonSink& s, TestRecordTarvel& record) {
    s.beginObject();
    for (int id : {20, 21, 24, 25, 32, 42}) {
        const auto wls = record.GetTestedFiberWavlengths(id);
        if (wls.empty()) continue;
        s.key(std::to_string(id));
        s.beginArray();
        for (int v : wls) s.integer(v);
        s.endArray();
    }
    s.endObject();
}

}  // namespace

void writeFiberTests(TestRecordTarvel& record, bool plots, JsonSink& s) {
    if (!record.IsFiber() || record.GetFiberResult() == nullptr) return s.null();
    std::vector<LossTest> loss;
    std::vector<PowerTest> power;
    std::vector<OtdrTest> otdr, realTime;
    std::vector<FiberImageTest> images;
    std::vector<Json::Value> plotList;
    for (int end : {1, 2}) {
        if (auto t = record.GetLossTest(end)) loss.push_back(std::move(*t));
        if (auto t = record.GetPowerTest(end)) power.push_back(std::move(*t));
        if (auto t = record.GetOtdrTest(end)) otdr.push_back(std::move(*t));
        if (auto t = record.GetRealTimeOtdrTest(end)) realTime.push_back(std::move(*t));
        if (auto t = record.GetImageTest(end)) images.push_back(std::move(*t));
        if (!plots) continue;
        if (auto p = record.GetOtdrPlotData(end, false)) {
            record.LoadBellcoreData(*p, end);
            plotList.push_back(p->toJson());
        }
        if (auto p = record.GetRealTimeOtdrPlotData(end)) plotList.push_back(p->toJson());
    }
    if (auto t = record.GetOtdrTest(3)) otdr.push_back(std::move(*t));
    // Members in name order: the text sink then has nothing to sort.
    s.beginObject();
    s.key("BidirAvg");
    writeBidirAvg(s, record);
    s.key("EventMap");
    writeOrNull(s, record.GetEventMapTest());
    s.key("FaultMap");
    writeOrNull(s, record.GetFaultMapTest());
    s.key("FaultMapOtdrTest");
    writeOrNull(s, record.GetFaultMapOtdrTest());
    s.key("ImageTests");
    writeArray(s, images);
    s.key("LossTests");
    writeArray(s, loss);
    s.key("OtdrTests");
    writeArray(s, otdr);
    if (plots) {
        if (auto p = record.GetFaultMapPlotData()) plotList.push_back(p->toJson());
        s.key("Plots");
        s.beginArray();
        for (const auto& p : plotList) s.value(p);
        s.endArray();
    }
    s.key("PowerTests");
    writeArray(s, power);
    s.key("RealTimeTests");
    writeArray(s, realTime);
    s.key("Span");
    writeOrNull(s, record.GetSpanFromResult());
    s.key("TestedWavelengths");
    writeTestedWavelengths(s, record);
    s.endObject();
}

std::string fiberTestsText(TestRecordTarvel& record) {
    if (!record.IsFiber() || record.GetFiberResult() == nullptr) return "";
    std::string out;
    const auto line = [&out](const std::string& text) { out += "  " + text + "\n"; };
    for (int end : {1, 2}) {
        const std::string e = " end " + std::to_string(end);
        if (auto t = record.GetLossTest(end)) {
            std::string s = "loss/length" + e + ": " + std::to_string(t->Measurements.size()) + " wavelength(s)";
            s += ", length " + valueText(t->LengthMeasurement.get_ptr(), "m");
            if (t->LengthOnly) s += " (length only)";
            for (const FiberMeasurement& m : t->Measurements)
                s += ", " + std::to_string(m.Wavelength.value_or(0)) + " nm " + valueText(&m, "dB");
            line(s + ", status " + std::to_string(t->Status));
        }
        if (auto t = record.GetPowerTest(end))
            line("power meter" + e + ": " + std::to_string(t->Measurements.size() / 2) + " wavelength(s)");
        if (auto t = record.GetOtdrTest(end)) {
            line("OTDR" + e + ": length " + valueText(t->OverallLength.get_ptr(), "m") + ", " +
                 std::to_string(t->Wavelengths.size()) + " wavelength(s), " + std::to_string(t->MergedEvents.size()) +
                 " event(s), " + std::to_string(t->Warnings.size()) + " warning(s), status " +
                 std::to_string(t->Status));
        }
        if (auto t = record.GetRealTimeOtdrTest(end))
            line("real-time trace" + e + ": " + std::to_string(t->Wavelengths.size()) + " wavelength(s)");
        if (auto t = record.GetImageTest(end)) {
            line("end-face image" + e + ": " + std::to_string(t->X) + "x" + std::to_string(t->Y) + ", " +
                 std::to_string(t->Defects.size()) + " defect(s), limit \"" + printable(t->LimitName) + "\", status " +
                 std::to_string(t->Status));
        }
    }
    if (auto t = record.GetOtdrTest(3))
        line("bidirectional OTDR: " + std::to_string(t->MergedEvents.size()) + " event(s)");
    if (auto t = record.GetFaultMapTest()) line("fault map: " + std::to_string(t->Table.Events.size()) + " event(s)");
    if (record.HasOtdrTest(1) && record.HasOtdrTest(2)) {
        const auto bidi = record.GenerateOtdrBidirAvgFromResult();
        line(bidi.Test ? "bidirectional average: " + std::to_string(bidi.Test->MergedEvents.size()) + " event(s)"
                       : "bidirectional average: error " + std::to_string(bidi.ErrorId));
    }
    if (auto s = record.GetSpanFromResult()) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "span: %.1f m to %.1f m (end %d)", s->Start, s->Stop, s->End);
        line(buf);
    }
    return out.empty() ? out : "fiber tests:\n" + out;
}

}  // namespace Kestrix::Tester
