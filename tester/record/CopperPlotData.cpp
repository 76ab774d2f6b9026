// Plot data of a record's copper test: measured curves per pair with the general and per-pair limit curves.
#include <algorithm>
#include <limits>

#include "copper/CopperLimit.h"
#include "copper/CopperTest.h"
#include "copper/CopperUtil.h"
#include "tester/record/CopperRecordUtil.h"
#include "tester/record/EnumConverter.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The plots' frequency axis ends at 2.5 GHz.
constexpr int kMaxPlotKHz = 2500000;
// Limit values from this many dB on mean "no limit here".
constexpr float kNoLimitDb = 3276.0f;

bool isTimeDomain(int id) { return id == 16 || id == 17; }

std::vector<double> limitCurve(const CopperFreqLimit& limit, size_t points) {
    std::vector<double> y(points, kNaN);
    const size_t n = std::min(points, limit.limitCurve.size());
    for (size_t i = 0; i < n; ++i) {
        const float db = limit.getDbFromIndex(static_cast<unsigned>(i));
        if (db < kNoLimitDb) y[i] = db;
    }
    return y;
}

}  // namespace

bool TestRecordTarvel::HasPlotData() {
    const CopperTest* test = GetCopperTest();
    return test != nullptr && test->hasPlotData();
}

bool TestRecordTarvel::HasPlotData(int id, int end) {
    const CopperTest* test = GetCopperTest();
    if (test == nullptr) return false;
    const CopperTestType type = EnumConverter::KestrixShareCuTestType(id);
    const CableEnd e = EnumConverter::KestrixShareCopperEnd(end);
    if (type == CopperTestType::none || !test->plots.hasCopperPlot(type, e)) return false;
    return isTimeDomain(id) || test->body.copperfreqs.hasFreq(type, e);
}

boost::optional<PlotDataTp> TestRecordTarvel::GetPlotDataTp(int id, int end) {
    if (!HasPlotData(id, end)) return boost::none;
    const CopperTest* test = GetCopperTest();
    const CopperTestType type = EnumConverter::KestrixShareCuTestType(id);
    const CableEnd e = EnumConverter::KestrixShareCopperEnd(end);
    const bool timeDomain = isTimeDomain(id);
    const std::vector<int> pairs = CopperPairList(id);

    PlotDataTp plot(id, end, test->getCable().isCoax());
    plot.PairText = GetPairLabels(id);
    plot.Map568A = test->body.outletConfig.name == "568A";
    if (!timeDomain) {
        const int last = kHzToIdx(kMaxPlotKHz);
        plot.X.reserve(static_cast<size_t>(last) + 1);
        for (int i = 0; i <= last; ++i) plot.X.push_back(idxToKHz(i) / 1000.0);
    }

    bool generalCurve = false;
    if (test->hasLimit()) {
        const CopperLimit& limit = *test->getLimit();
        CopperFreqLimitType applied = CopperFreqLimitType::NONE;
        for (int pair : pairs) {
            CopperFreq f;
            if (copper::findFreq(*test, f, type, e, EnumConverter::KestrixSrcPair(pair),
                                 EnumConverter::KestrixRcvPair(pair)))
                applied = std::max(applied, f.limitType);
        }
        const size_t points = timeDomain ? 0 : plot.X.size();
        CopperFreqLimit curve;
        if (limit.findFreqLimit(curve, applied, PairCombo::any)) {
            PlotLimitCurve general;
            general.Pair = 0;
            general.Y = limitCurve(curve, points);
            plot.LimitCurves.push_back(std::move(general));
            generalCurve = true;
        }
        for (int pair : pairs) {
            const PairCombo combo = EnumConverter::KestrixPairCombo(pair);
            if (combo == PairCombo::any || !limit.findFreqLimit(curve, applied, combo)) continue;
            PlotLimitCurve own;
            own.Pair = pair;
            own.Y = limitCurve(curve, points);
            plot.LimitCurves.push_back(std::move(own));
        }
    }

    for (int pair : pairs) {
        const WirePair src = EnumConverter::KestrixSrcPair(pair);
        const WirePair rcv = EnumConverter::KestrixRcvPair(pair);
        const CopperPlot* p = copper::findPlot(*test, type, e, src, rcv);
        if (p == nullptr) continue;
        CopperFreq f;
        if (!timeDomain && !copper::findFreq(*test, f, type, e, src, rcv)) continue;
        std::vector<double> y;
        y.reserve(p->data.size());
        for (size_t i = 0; i < p->data.size(); ++i) y.push_back(p->getDbFromIndex(static_cast<unsigned>(i)));
        if (timeDomain) {
            std::vector<double> x;
            x.reserve(p->data.size());
            for (size_t i = 0; i < p->data.size(); ++i) x.push_back(test->metersAtIndex(static_cast<int>(i)));
            const int number = plot.AddCurve(pair, std::move(y), std::move(x));
            plot.CurveNumbered(number)->XAxisUnit = 4;
            continue;
        }
        plot.AddCurve(pair, std::move(y));
        if (generalCurve) {
            std::vector<uint16_t> mask;
            if (test->getLimitEnforced(p->testType, p->cableEnd, p->srcPair, p->rcvPair, mask)) {
                std::vector<bool> flags(mask.size());
                for (size_t i = 0; i < mask.size(); ++i) flags[i] = mask[i] == 0;
                plot.LimitCurveOf(0)->Invalid.emplace_back(pair, std::move(flags));
            }
        }
    }
    return plot;
}

}  // namespace Kestrix::Tester
