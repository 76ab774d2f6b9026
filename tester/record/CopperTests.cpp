// Copper tests of a record as host objects: scalar and frequency tests, coax TDR and pair labels.
#include <cmath>
#include <limits>

#include "copper/CopperResult.h"
#include "copper/CopperTest.h"
#include "tester/record/CopperRecordUtil.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

int scalarUnit(int id) {
    if (id == 1) return 4;
    if (id == 2 || id == 3) return 5;
    return 8;
}

int precisionOf(ScaledInt::ScaledTo s) { return s < 0 ? 0 : static_cast<int>(s); }

double number(const ScaledInt& v) { return v.isFinite() ? v.toDouble() : kNaN; }

// Length is reported to tenths the way the tester rounds it: + 0.05, then truncated.
double roundedLength(double v) { return std::isfinite(v) ? std::trunc((v + 0.05) * 10.0) / 10.0 : v; }

SingleMeasurement scalarMeasurement(int id, int pair, const CopperScalar& s) {
    SingleMeasurement m(id, 6, pair);
    const int unit = scalarUnit(id);
    const int precision = precisionOf(s.scaledTo);
    double value = static_cast<double>(s.value);
    if (!std::isfinite(value)) value = kNaN;
    // 0: no qualifier. (A plain int: g++ 12 warns about a local optional copied into the parameter.)
    int qualifier = 0;
    const int kind = static_cast<int>(s.qualifier);
    if ((id == 40 || id == 41) && kind == 3) {
        value = kNaN;
        qualifier = kQualifierNoValue;
    } else if (kind == 1) {
        qualifier = 13;
    } else if (kind == 2) {
        qualifier = 12;
    } else if (kind == 4) {
        qualifier = 18;
    }
    if (id == 1) value = roundedLength(value);
    MeasParam valueParam(MeasKind::Value, value, unit, precision);
    if (qualifier != 0) valueParam.Qualifier = qualifier;
    m.Add(valueParam);

    bool limited = false;
    auto addLimit = [&](const ScaledInt& limit, MeasKind limitKind, MeasKind marginKind, double margin) {
        if (!limit.isFinite()) return;
        m.Add(MeasParam(limitKind, number(limit), unit, precision));
        MeasParam marginParam(marginKind, margin, unit, precision);
        if (std::isnan(value)) marginParam.Qualifier = kQualifierNoValue;
        m.Add(marginParam);
        if (!limited) m.Status = EnumConverter::Status(s.status);
        limited = true;
    };
    addLimit(s.limitMax, MeasKind::UpperLimit, MeasKind::MarginUpper, number(s.limitMax) - value);
    addLimit(s.limitMin, MeasKind::LowerLimit, MeasKind::MarginLower, value - number(s.limitMin));
    return m;
}

void addFreqMeasurements(std::vector<SingleMeasurement>& out, int id, int pair, int end, const CopperFreq& f) {
    const MeasKind limitKind = id == 7 ? MeasKind::UpperLimit : MeasKind::LowerLimit;
    const MeasKind marginKind = id == 7 ? MeasKind::MarginUpper : MeasKind::MarginLower;
    const bool tdr = f.testType == CopperTestType::tdr;
    for (int worstMargin = 1; worstMargin >= 0; --worstMargin) {
        SingleMeasurement m(id, 6, pair);
        const ScaledInt value = worstMargin ? f.wmValue : f.wvValue;
        const ScaledInt limit = worstMargin ? f.wmLimit : f.wvLimit;
        const ScaledInt margin = worstMargin ? f.getWmMargin() : f.getWvMargin();
        const int32_t location = worstMargin ? f.wmLocation : f.wvLocation;
        m.Add(MeasParam(MeasKind::Value, number(value), 1, 1));
        if (!limit.isNaN()) {
            m.Add(MeasParam(limitKind, number(limit), 1, 1));
            if (!margin.isNaN()) m.Add(MeasParam(marginKind, number(margin), 1, 1));
        }
        m.Add(MeasParam(MeasKind::Frequency, tdr ? 0.0 : location / 1000.0, 6, 1));
        m.CopperEnd = end;
        m.IsWorstMarginSpecified = worstMargin == 1;
        if (worstMargin) m.Status = EnumConverter::Status(f.status);
        out.push_back(std::move(m));
    }
}

}  // namespace

namespace copper {

bool findScalar(const CopperTest& test, CopperScalar& out, CopperTestType type, WirePair src, WirePair rcv) {
    if (test.findCopperScalar(out, type, CableEnd::main, src, rcv)) return true;
    // A single-pair value stored with its own pair as the second pair.
    return rcv == WirePair::notset && test.findCopperScalar(out, type, CableEnd::main, src, src);
}

bool findFreq(const CopperTest& test, CopperFreq& out, CopperTestType type, CableEnd end, WirePair src, WirePair rcv) {
    if (test.findCopperFreq(out, type, end, src, rcv)) return true;
    // Single-pair results are stored with the receive pair "notset" (or with the source pair).
    return src == rcv && test.findCopperFreq(out, type, end, src, WirePair::notset);
}

const CopperPlot* findPlot(const CopperTest& test, CopperTestType type, CableEnd end, WirePair src, WirePair rcv) {
    if (const CopperPlot* p = test.plots.findPlot(type, end, src, rcv)) return p;
    return src == rcv ? test.plots.findPlot(type, end, src, WirePair::notset) : nullptr;
}

}  // namespace copper

std::vector<int> TestRecordTarvel::CopperPairList(int id) {
    const CopperTest* test = GetCopperTest();
    if (test != nullptr && test->getCable().isCoax()) return {kCoaxPairId};
    switch (id) {
        case 8:
        case 10:
        case 12:
        case 17:
        case 37:
        case 38: return {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
        case 41: return {6, 7, 8, 10, 11, 14};
        default: return {1, 2, 3, 4};
    }
}

TwistedPairLabels TestRecordTarvel::GetPairLabels(int id) {
    TwistedPairLabels labels;
    const CopperTest* test = GetCopperTest();
    if (test == nullptr) return labels;
    const WireMapData data = copper::displayData(*test);
    for (int pair : CopperPairList(id)) {
        std::string label = data.pairComboLabel(EnumConverter::KestrixWireMapPairCombo(pair));
        std::string plain;
        for (char c : label)
            if (c != ',') plain += c;
        labels.Labels.emplace_back(pair, std::move(plain));
    }
    return labels;
}

bool TestRecordTarvel::HasScalarTest(int id) { return GetScalarTest(id).has_value(); }

boost::optional<ScalarTest> TestRecordTarvel::GetScalarTest(int id) {
    const CopperTest* test = GetCopperTest();
    if (test == nullptr) return boost::none;
    const CopperTestType type = EnumConverter::KestrixShareCuTestType(id);
    if (type == CopperTestType::none || !test->hasCopperScalar(type, WirePair::notset)) return boost::none;
    const bool coax = test->getCable().isCoax();
    if (coax && id == 3) return boost::none;
    ScalarTest st(id, coax);
    st.Status = EnumConverter::Status(test->getStatusByTestType(type));
    for (int pair : CopperPairList(id)) {
        const WirePair src = EnumConverter::KestrixSrcPair(pair);
        if (src == WirePair::notset) continue;
        const WirePair rcv = id == 41 ? EnumConverter::KestrixRcvPair(pair) : WirePair::notset;
        CopperScalar s;
        if (!copper::findScalar(*test, s, type, src, rcv)) continue;
        if (s.status == Kestrix::Status::notSet || s.status == Kestrix::Status::dontShow) continue;
        st.Measurements.push_back(scalarMeasurement(id, pair, s));
    }
    st.PairText = GetPairLabels(id);
    st.Brief = id;
    return st;
}

bool TestRecordTarvel::HasFrequencyTest(int id) {
    const CopperTest* test = GetCopperTest();
    const CopperTestType type = EnumConverter::KestrixShareCuTestType(id);
    return test != nullptr && type != CopperTestType::none && test->hasCopperFreq(type);
}

boost::optional<FrequencyTest> TestRecordTarvel::GetFrequencyTest(int id) {
    if (!HasFrequencyTest(id)) return boost::none;
    const CopperTest* test = GetCopperTest();
    const CopperTestType type = EnumConverter::KestrixShareCuTestType(id);
    FrequencyTest ft(id, test->getCable().isCoax());
    ft.Status = EnumConverter::Status(test->getCopperFreqStatus(type));
    for (int pair : CopperPairList(id)) {
        const WirePair src = EnumConverter::KestrixSrcPair(pair);
        const WirePair rcv = EnumConverter::KestrixRcvPair(pair);
        for (int end = 1; end <= 2; ++end) {
            CopperFreq f;
            if (copper::findFreq(*test, f, type, EnumConverter::KestrixShareCopperEnd(end), src, rcv))
                addFreqMeasurements(ft.Measurements, id, pair, end, f);
        }
    }
    ft.PairText = GetPairLabels(id);
    ft.Brief = id;
    return ft;
}

bool TestRecordTarvel::HasTdrCoaxTest() {
    const CopperTest* test = GetCopperTest();
    return test != nullptr && test->hasCopperFreq(CopperTestType::tdr) && test->getCable().isCoax();
}

boost::optional<TdrCoaxTest> TestRecordTarvel::GetTdrCoaxTest() {
    if (!HasTdrCoaxTest()) return boost::none;
    const CopperTest* test = GetCopperTest();
    CopperFreq f;
    if (!test->findCopperFreq(f, CopperTestType::tdr, CableEnd::main, WirePair::pair2, WirePair::pair2))
        return boost::none;
    TdrCoaxTest t;
    t.Measurement = SingleMeasurement(16, EnumConverter::Status(f.status), kCoaxPairId);
    t.Measurement.Add(MeasParam(MeasKind::Value, number(f.wmValue), 14, 1));
    if (!f.wmLimit.isNaN()) t.Measurement.Add(MeasParam(MeasKind::UpperLimit, number(f.wmLimit), 14, 1));
    return t;
}

}  // namespace Kestrix::Tester
