#include "copper/LimitBuilders.h"

#include <cmath>
#include <utility>

#include "CopperFormulas.h"
#include "copper/CopperUtil.h"

using Kestrix::CopperFreqLimitType;
using Kestrix::CopperScalarLimitType;
using Kestrix::ScaledInt;

namespace kx::test {

int cat6AGridPoints() { return Kestrix::kHzToIdx(kCat6AMaxKHz) + 1; }

namespace {
constexpr Kestrix::LinkGen::Grade kCat6APl{Kestrix::LinkGen::Category::cat6A, Kestrix::LinkGen::Standard::tia,
                                           Kestrix::LinkGen::LinkClass::permanentLink};
}  // namespace

double cat6APlInsertionLossDb(double f) { return Kestrix::LinkGen::insertionLossDb(kCat6APl, f); }

double cat6APlNextDb(double f) { return Kestrix::LinkGen::nextDb(kCat6APl, f); }

double cat6APlReturnLossDb(double f) { return Kestrix::LinkGen::returnLossDb(kCat6APl, f); }

double cat6APlAcrFDb(double f) { return Kestrix::LinkGen::acrFDb(kCat6APl, f); }

std::vector<int16_t> gridCurve(int maxKHz, const std::function<double(double)>& dbAt) {
    const int n = Kestrix::kHzToIdx(maxKHz) + 1;
    std::vector<int16_t> curve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        curve[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(dbAt(Kestrix::idxToKHz(i) / 1000.0) * 10.0));
    return curve;
}

Kestrix::CopperFreqLimit freqLimit(CopperFreqLimitType type, std::vector<int16_t> curve,
                                   std::vector<Kestrix::AccPoint> accPoints, Kestrix::PairCombo pair, bool infoOnly) {
    Kestrix::CopperFreqLimit l;
    l.freqLimitType = type;
    l.isInfoOnly = infoOnly;
    l.limitCurve = std::move(curve);
    l.accPoints = std::move(accPoints);
    l.pair = pair;
    return l;
}

Kestrix::CopperScalarLimit scalarLimit(CopperScalarLimitType type, ScaledInt max, ScaledInt min, bool infoOnly) {
    Kestrix::CopperScalarLimit l;
    l.type = type;
    l.maxValue = max;
    l.minValue = min;
    l.isInfoOnly = infoOnly;
    return l;
}

Kestrix::CopperLimit cat6APermanentLinkLimit() {
    Kestrix::CopperLimit l;
    l.name = "TIA Cat 6A Perm. Link";
    l.maxFreqKHz = kCat6AMaxKHz;

    auto il = freqLimit(CopperFreqLimitType::IL, gridCurve(kCat6AMaxKHz, cat6APlInsertionLossDb),
                        {{1000, 0.1f}, {100000, 0.5f}, {500000, 1.0f}});
    il.limitEquation = "0.9*(1.82*sqrt(f)+0.0091*f+0.25/sqrt(f))+3*0.02*sqrt(f)";
    auto next = freqLimit(CopperFreqLimitType::NEXT, gridCurve(kCat6AMaxKHz, cat6APlNextDb),
                          {{1000, 0.3f}, {100000, 0.9f}, {250000, 1.4f}, {500000, 2.0f}});
    next.limitEquation = "-20log(10^((15log(f)-74.3)/20)+10^((20log(f)-94)/20))";
    auto rl = freqLimit(CopperFreqLimitType::RL, gridCurve(kCat6AMaxKHz, cat6APlReturnLossDb),
                        {{1000, 0.8f}, {100000, 1.5f}, {500000, 2.5f}});
    rl.limitEquation = "19+4log(f) / 21 / 26-5log(f) / 34-10log(f) / 8";
    l.freqLimits = {il, next, rl};

    const auto tenths = ScaledInt::tenths;
    const auto hundredths = ScaledInt::hundredths;
    l.scalarLimits = {
        scalarLimit(CopperScalarLimitType::length, ScaledInt::raw(900, tenths)),
        scalarLimit(CopperScalarLimitType::propDelay, ScaledInt::raw(498, ScaledInt::ones)),
        scalarLimit(CopperScalarLimitType::delaySkew, ScaledInt::raw(44, ScaledInt::ones)),
        scalarLimit(CopperScalarLimitType::resistance, ScaledInt::raw(250, tenths)),
        scalarLimit(CopperScalarLimitType::unbalancePercent, ScaledInt::raw(30, tenths)),
        scalarLimit(CopperScalarLimitType::unbalanceOhm, ScaledInt::raw(15, hundredths)),
        scalarLimit(CopperScalarLimitType::p2pUnbalancePercent, ScaledInt::raw(70, tenths)),
        scalarLimit(CopperScalarLimitType::p2pUnbalanceOhm, ScaledInt::raw(20, hundredths)),
        scalarLimit(CopperScalarLimitType::impedance100, ScaledInt::raw(120, ScaledInt::ones),
                    ScaledInt::raw(80, ScaledInt::ones), true),
    };

    l.do3dbRuleRl = true;
    l.do4dbRuleNext = true;
    l.mediaType = Kestrix::CopperLimit::MediaType::twistedPair;
    l.liaCompat = Kestrix::CopperLimit::LiaCompat::warn;
    l.validLiaIds = {{1, 1}, {1, 40}};
    l.invalidLiaIds = {3};
    l.dbPkgMfstSummary.customerVersion.major = 10;
    l.dbPkgMfstSummary.customerVersion.minor = 2;
    l.dbPkgMfstSummary.build = 17;
    return l;
}

}  // namespace kx::test
