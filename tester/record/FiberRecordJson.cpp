#include "tester/record/FiberRecordJson.h"

#include <cmath>
#include <cstdio>

#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

template <typename T>
Json::Value orNull(const boost::optional<T>& v) {
    return v ? v->toJson() : Json::Value();
}

Json::Value intArray(const std::vector<int>& values) {
    Json::Value a(Json::arrayValue);
    for (int v : values) a.append(v);
    return a;
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
    if (!record.IsFiber() || record.GetFiberResult() == nullptr) return Json::Value();
    Json::Value j(Json::objectValue);
    Json::Value loss(Json::arrayValue), power(Json::arrayValue), otdr(Json::arrayValue), realTime(Json::arrayValue),
        images(Json::arrayValue), plotList(Json::arrayValue);
    for (int end : {1, 2}) {
        if (auto t = record.GetLossTest(end)) loss.append(t->toJson());
        if (auto t = record.GetPowerTest(end)) power.append(t->toJson());
        if (auto t = record.GetOtdrTest(end)) otdr.append(t->toJson());
        if (auto t = record.GetRealTimeOtdrTest(end)) realTime.append(t->toJson());
        if (auto t = record.GetImageTest(end)) images.append(t->toJson());
        if (!plots) continue;
        if (auto p = record.GetOtdrPlotData(end, false)) {
            record.LoadBellcoreData(*p, end);
            plotList.append(p->toJson());
        }
        if (auto p = record.GetRealTimeOtdrPlotData(end)) plotList.append(p->toJson());
    }
    if (auto t = record.GetOtdrTest(3)) otdr.append(t->toJson());
    j["LossTests"] = loss;
    j["PowerTests"] = power;
    j["OtdrTests"] = otdr;
    j["RealTimeTests"] = realTime;
    j["ImageTests"] = images;
    j["EventMap"] = orNull(record.GetEventMapTest());
    j["FaultMap"] = orNull(record.GetFaultMapTest());
    j["FaultMapOtdrTest"] = orNull(record.GetFaultMapOtdrTest());
    if (record.HasOtdrTest(1) && record.HasOtdrTest(2)) {
        const auto bidi = record.GenerateOtdrBidirAvgFromResult();
        Json::Value b(Json::objectValue);
        if (bidi.Test)
            b["Test"] = bidi.Test->toJson();
        else
            b["ErrorId"] = bidi.ErrorId;
        j["BidirAvg"] = b;
    } else {
        j["BidirAvg"] = Json::Value();
    }
    j["Span"] = orNull(record.GetSpanFromResult());
    Json::Value wavelengths(Json::objectValue);
    for (int id : {20, 21, 24, 25, 32, 42}) {
        const auto wls = record.GetTestedFiberWavlengths(id);
        if (!wls.empty()) wavelengths[std::to_string(id)] = intArray(wls);
    }
    j["TestedWavelengths"] = wavelengths;
    if (plots) {
        if (auto p = record.GetFaultMapPlotData()) plotList.append(p->toJson());
        j["Plots"] = plotList;
    }
    return j;
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
