#include "tester/host/CopperHostObjects.h"

#include <utility>

namespace Kestrix::Tester {

namespace {

Json::Value numbers(const std::vector<double>& values) {
    Json::Value a(Json::arrayValue);
    for (double v : values) a.append(jsonNumber(v));
    return a;
}

}  // namespace

std::string TwistedPairLabels::LabelOf(int pair) const {
    for (const auto& [p, label] : Labels)
        if (p == pair) return label;
    return {};
}

Json::Value TwistedPairLabels::toJson() const { return treeOf(*this); }

void TwistedPairLabels::writeJson(JsonSink& s) const {
    s.beginArray();
    for (const auto& [pair, label] : Labels) {
        // Members in name order (here and below): the text sink then has nothing to sort.
        s.beginObject();
        s.member("Label", label);
        s.member("Pair", pair);
        s.endObject();
    }
    s.endArray();
}

Json::Value MeasuredTest::toJson() const { return treeOf(*this); }

void MeasuredTest::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("Brief", Brief);
    s.member("IsCoax", IsCoax);
    s.key("Measurements");
    writeArray(s, Measurements);
    s.key("PairText");
    PairText.writeJson(s);
    s.member("Status", Status);
    s.member("TestId", TestId);
    s.endObject();
}

Json::Value FreqLimitInvalid::toJson() const {
    Json::Value j(Json::objectValue);
    j["Pair"] = Pair;
    Json::Value flags(Json::arrayValue);
    for (bool f : Flags) flags.append(f);
    j["Flags"] = std::move(flags);
    return j;
}

Json::Value PlotLimitCurve::toJson() const {
    Json::Value j(Json::objectValue);
    j["Pair"] = Pair;
    j["Y"] = numbers(Y);
    Json::Value inv(Json::arrayValue);
    for (const FreqLimitInvalid& f : Invalid) inv.append(f.toJson());
    j["Invalid"] = std::move(inv);
    return j;
}

Json::Value PlotCurve::toJson() const {
    Json::Value j(Json::objectValue);
    j["Number"] = Number;
    j["Pair"] = Pair;
    j["X"] = X.empty() ? Json::Value() : numbers(X);
    j["Y"] = numbers(Y);
    j["XAxisUnit"] = XAxisUnit;
    return j;
}

int PlotDataTp::AddCurve(int pair, std::vector<double> y, std::vector<double> x) {
    PlotCurve c;
    c.Number = static_cast<int>(Curves.size()) + 1;
    c.Pair = pair;
    c.X = std::move(x);
    c.Y = std::move(y);
    Curves.push_back(std::move(c));
    return Curves.back().Number;
}

PlotCurve* PlotDataTp::CurveNumbered(int number) {
    for (PlotCurve& c : Curves)
        if (c.Number == number) return &c;
    return nullptr;
}

PlotLimitCurve* PlotDataTp::LimitCurveOf(int pair) {
    for (PlotLimitCurve& c : LimitCurves)
        if (c.Pair == pair) return &c;
    return nullptr;
}

Json::Value PlotDataTp::toJson() const {
    Json::Value j(Json::objectValue);
    j["TestId"] = TestId;
    j["End"] = End;
    j["IsCoax"] = IsCoax;
    j["PairText"] = PairText.toJson();
    j["Map568A"] = Map568A;
    j["X"] = numbers(X);
    Json::Value limits(Json::arrayValue);
    for (const PlotLimitCurve& l : LimitCurves) limits.append(l.toJson());
    j["LimitCurves"] = std::move(limits);
    Json::Value curves(Json::arrayValue);
    for (const PlotCurve& c : Curves) curves.append(c.toJson());
    j["Curves"] = std::move(curves);
    return j;
}

Json::Value TdrCoaxTest::toJson() const { return treeOf(*this); }

void TdrCoaxTest::writeJson(JsonSink& s) const {
    s.beginObject();
    s.key("Measurement");
    Measurement.writeJson(s);
    s.endObject();
}

Json::Value WireMapTest::toJson() const { return treeOf(*this); }

void WireMapTest::writeJson(JsonSink& s) const {
    s.beginObject();
    s.member("BadPatchFar", BadPatchFar);
    s.member("BadPatchNear", BadPatchNear);
    s.member("Brief", Brief);
    s.member("IsAcMap", IsAcMap);
    s.member("ShieldTest", ShieldTest);
    if (SplitPair)
        s.member("SplitPair", *SplitPair);
    else
        s.memberNull("SplitPair");
    s.member("Status", Status);
    s.member("WireMapTypeText", WireMapTypeText);
    s.endObject();
}

Json::Value ReCertResult::toJson() const {
    Json::Value j(Json::objectValue);
    j["rcStatus"] = rcStatus;
    j["newDataSize"] = static_cast<Json::UInt64>(newData.size());
    j["testStatus"] = testStatus;
    j["rcStatusName"] = ReCertStatusName(rcStatus);
    return j;
}

const char* ReCertStatusName(int rcStatus) {
    switch (rcStatus) {
        case 0: return "ready";
        case 2: return "failed";
        case 4: return "no plot data";
        case 5: return "too few plot points for the limit's maximum frequency";
        case 6: return "no resistance measurement";
        case 7: return "no resistance unbalance measurement";
        case 8: return "no pair-to-pair unbalance measurement";
        case 9: return "no impedance measurement";
        case 10: return "no insertion loss plot";
        case 11: return "no NEXT plot";
        case 12: return "no return loss plot";
        case 13: return "no FEXT plot";
        case 14: return "no TCL plot";
        case 15: return "no ELTCTL plot";
        case 16: return "no CDNEXT plot";
        case 17: return "no CMRL plot";
        default: return "unknown";
    }
}

}  // namespace Kestrix::Tester
