#include "copper/LimitDbBuilders.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "copper/CopperUtil.h"
#include "copper/LimitBuilders.h"

using Kestrix::CopperFreqLimitType;
using Kestrix::CopperLimit;
using Kestrix::CopperScalarLimitType;
using Kestrix::ScaledInt;

namespace kx::test {

namespace {

struct Grade {
    const char* name;
    int maxKHz;
    double ilA, ilB, ilC;  // IL = a*sqrt(f) + b*f + c/sqrt(f)
    double next1;          // NEXT at 1 MHz
    double rlFlat;         // RL below 20 MHz
    bool channel;
};

double ilDb(const Grade& g, double f) {
    const double base = g.ilA * std::sqrt(f) + g.ilB * f + g.ilC / std::sqrt(f);
    return g.channel ? 1.05 * base + 0.04 * 4 * std::sqrt(f) : 0.9 * base + 0.04 * 3 * std::sqrt(f);
}

double nextDb(const Grade& g, double f) {
    const double d = g.next1 - 15.0 * std::log10(f) - (g.channel ? 1.5 : 0.0);
    return std::min(65.0, d);
}

double rlDb(const Grade& g, double f) {
    const double flat = g.rlFlat - (g.channel ? 2.0 : 0.0);
    if (f < 20.0) return flat;
    return std::max(6.0, flat + 13.0 - 10.0 * std::log10(f));
}

CopperLimit twistedPair(const Grade& g, int lengthTenths, int delayNs) {
    CopperLimit l;
    l.name = g.name;
    l.maxFreqKHz = g.maxKHz;
    l.freqLimits = {
        freqLimit(CopperFreqLimitType::IL, gridCurve(g.maxKHz, [&g](double f) { return ilDb(g, f); }),
                  {{1000, 0.1f}, {g.maxKHz, 1.0f}}),
        freqLimit(CopperFreqLimitType::NEXT, gridCurve(g.maxKHz, [&g](double f) { return nextDb(g, f); }),
                  {{1000, 0.3f}, {g.maxKHz, 2.0f}}),
        freqLimit(CopperFreqLimitType::RL, gridCurve(g.maxKHz, [&g](double f) { return rlDb(g, f); }),
                  {{1000, 0.8f}, {g.maxKHz, 2.5f}}),
    };
    l.scalarLimits = {
        scalarLimit(CopperScalarLimitType::length, ScaledInt::raw(lengthTenths, ScaledInt::tenths)),
        scalarLimit(CopperScalarLimitType::propDelay, ScaledInt::raw(delayNs, ScaledInt::ones)),
        scalarLimit(CopperScalarLimitType::delaySkew, ScaledInt::raw(g.channel ? 50 : 44, ScaledInt::ones)),
        scalarLimit(CopperScalarLimitType::resistance, ScaledInt::raw(g.channel ? 250 : 210, ScaledInt::tenths)),
        scalarLimit(CopperScalarLimitType::unbalanceOhm, ScaledInt::raw(20, ScaledInt::hundredths)),
    };
    l.do3dbRuleRl = true;
    l.do4dbRuleNext = true;
    l.linkType = CopperLimit::LinkType::normal;
    l.mediaType = CopperLimit::MediaType::twistedPair;
    l.dbPkgMfstSummary.customerVersion.major = 10;
    l.dbPkgMfstSummary.customerVersion.minor = 2;
    l.dbPkgMfstSummary.build = 17;
    return l;
}

CopperLimit coax() {
    CopperLimit l;
    l.name = "Coax RG6 75 Ohm";
    l.maxFreqKHz = 1000000;
    l.freqLimits = {freqLimit(CopperFreqLimitType::IL,
                              gridCurve(l.maxFreqKHz, [](double f) { return 0.55 * std::sqrt(f) + 0.002 * f; }))};
    l.scalarLimits = {
        scalarLimit(CopperScalarLimitType::length, ScaledInt::raw(1000, ScaledInt::tenths)),
        scalarLimit(CopperScalarLimitType::impedance75, ScaledInt::raw(85, ScaledInt::ones),
                    ScaledInt::raw(65, ScaledInt::ones)),
    };
    l.mediaType = CopperLimit::MediaType::coax;
    l.tdrLimit = 15;
    l.dbPkgMfstSummary.customerVersion.major = 10;
    l.dbPkgMfstSummary.customerVersion.minor = 2;
    l.dbPkgMfstSummary.build = 17;
    return l;
}

}  // namespace

std::vector<CopperLimit> limitDbLimits() {
    const Grade grades[] = {
        {"TIA Cat 5e Perm. Link", 100000, 1.967, 0.023, 0.050, 65.3, 19.0, false},
        {"TIA Cat 5e Channel", 100000, 1.967, 0.023, 0.050, 65.3, 19.0, true},
        {"TIA Cat 6 Perm. Link", 250000, 1.808, 0.017, 0.200, 74.3, 19.0, false},
        {"TIA Cat 6 Channel", 250000, 1.808, 0.017, 0.200, 74.3, 19.0, true},
        {"TIA Cat 6A Channel", 500000, 1.82, 0.0091, 0.25, 74.3, 19.0, true},
        {"ISO11801 PL Class EA", 500000, 1.82, 0.0091, 0.25, 74.3, 19.0, false},
    };
    std::vector<CopperLimit> limits;
    limits.push_back(twistedPair(grades[0], 900, 498));
    limits.push_back(twistedPair(grades[1], 1000, 555));
    limits.push_back(twistedPair(grades[2], 900, 498));
    limits.push_back(twistedPair(grades[3], 1000, 555));
    limits.push_back(cat6APermanentLinkLimit());
    limits.push_back(twistedPair(grades[4], 1000, 555));
    limits.push_back(twistedPair(grades[5], 900, 498));
    limits.push_back(coax());
    return limits;
}

}  // namespace kx::test
