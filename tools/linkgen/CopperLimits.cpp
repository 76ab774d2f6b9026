#include "CopperLimits.h"

#include <cmath>

#include "copper/CopperUtil.h"

namespace Kestrix::LinkGen {

namespace {

using T = CopperFreqLimitType;

int maxKHz(const Grade& g) { return static_cast<int>(maxFrequencyMHz(g.category) * 1000.0); }

// The tester's accuracy for a quantity, growing with frequency; a margin smaller than it is starred.
std::vector<AccPoint> accuracy(T type, const Grade& g) {
    const int top = maxKHz(g);
    const float ch = g.link == LinkClass::channel ? 0.1f : 0.0f;
    switch (type) {
        case T::IL: return {{1000, 0.1f}, {100000, 0.3f}, {top, 0.5f}};
        case T::RL: return {{1000, 0.8f + ch}, {100000, 1.0f + ch}, {top, g.category == Category::cat6A ? 1.6f : 1.2f}};
        case T::ELFEXT:
        case T::PSELFEXT: return {{1000, 0.4f}, {100000, 0.8f + ch}, {top, 1.1f + ch}};
        default: return {{1000, 0.3f}, {100000, 0.7f + ch}, {top, g.category == Category::cat6A ? 1.3f : 1.0f}};
    }
}

CopperFreqLimit curve(T type, const Grade& g, const std::function<double(double)>& dbAt, const char* equation) {
    CopperFreqLimit l;
    l.freqLimitType = type;
    l.limitCurve = gridCurve(maxKHz(g), dbAt);
    l.accPoints = accuracy(type, g);
    l.limitEquation = equation;
    return l;
}

CopperScalarLimit scalar(CopperScalarLimitType type, ScaledInt max, ScaledInt min = ScaledInt::nan(),
                         bool infoOnly = false) {
    CopperScalarLimit l;
    l.type = type;
    l.maxValue = max;
    l.minValue = min;
    l.isInfoOnly = infoOnly;
    return l;
}

ScaledInt tenths(int v) { return ScaledInt::raw(v, ScaledInt::tenths); }
ScaledInt hundredths(int v) { return ScaledInt::raw(v, ScaledInt::hundredths); }
ScaledInt ones(int v) { return ScaledInt::raw(v, ScaledInt::ones); }

void stamp(CopperLimit& l) {
    l.dbPkgMfstSummary.customerVersion.major = 10;
    l.dbPkgMfstSummary.customerVersion.minor = 2;
    l.dbPkgMfstSummary.build = 17;
}

// Adapters the limit is measured with: permanent-link or channel adapters of the category.
Meascop::LiaId adapterOf(const Grade& g) {
    const bool ch = g.link == LinkClass::channel;
    switch (g.category) {
        case Category::cat5e: return ch ? 6 : 3;
        case Category::cat6: return ch ? 5 : 2;
        case Category::cat6A: return ch ? 4 : 1;
    }
    return 0;
}

}  // namespace

std::vector<int16_t> gridCurve(int maxKHz, const std::function<double(double)>& dbAt) {
    const int n = kHzToIdx(maxKHz) + 1;
    std::vector<int16_t> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        out[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(dbAt(idxToKHz(i) / 1000.0) * 10.0));
    return out;
}

std::string limitName(const Grade& g) {
    const bool ch = g.link == LinkClass::channel;
    if (g.standard == Standard::iso) return ch ? "ISO11801 Channel Class EA" : "ISO11801 PL Class EA";
    const char* cat = g.category == Category::cat5e ? "5e" : (g.category == Category::cat6 ? "6" : "6A");
    return std::string("TIA Cat ") + cat + (ch ? " Channel" : " Perm. Link");
}

Grade gradeOfLimit(const std::string& name, bool& found) {
    for (Category c : {Category::cat5e, Category::cat6, Category::cat6A})
        for (Standard s : {Standard::tia, Standard::iso})
            for (LinkClass k : {LinkClass::permanentLink, LinkClass::channel}) {
                if (s == Standard::iso && c != Category::cat6A) continue;
                const Grade g{c, s, k};
                if (limitName(g) == name) {
                    found = true;
                    return g;
                }
            }
    found = false;
    return {};
}

CopperLimit twistedPairLimit(const Grade& g) {
    CopperLimit l;
    l.name = limitName(g);
    l.maxFreqKHz = maxKHz(g);
    l.freqLimits = {
        curve(
            T::IL, g, [&g](double f) { return insertionLossDb(g, f); }, "cable x length + connections"),
        curve(
            T::NEXT, g, [&g](double f) { return nextDb(g, f); }, "-20lg(10^(-cable/20) + n 10^(-connection/20))"),
        curve(
            T::PSNEXT, g, [&g](double f) { return psNextDb(g, f); }, "NEXT - 3"),
        curve(
            T::ELFEXT, g, [&g](double f) { return acrFDb(g, f); }, "-20lg(10^(-cable/20) + n 10^(-connection/20))"),
        curve(
            T::PSELFEXT, g, [&g](double f) { return psAcrFDb(g, f); }, "ACR-F - 3"),
        curve(
            T::RL, g, [&g](double f) { return returnLossDb(g, f); }, "piecewise 10lg(f) segments"),
    };
    const bool channel = g.link == LinkClass::channel;
    if (g.standard == Standard::iso) {
        l.freqLimits.push_back(curve(
            T::ACR, g, [&g](double f) { return acrNDb(g, f); }, "NEXT - IL"));
        l.freqLimits.push_back(curve(
            T::PSACR, g, [&g](double f) { return psAcrNDb(g, f); }, "PSNEXT - IL"));
        l.do4dbRuleAcrN = true;
        l.dbRuleAcrF = kAcrFRuleDb;
        l.dbRulePsAcrF = kPsAcrFRuleDb;
    }
    l.do3dbRuleRl = true;
    l.do4dbRuleNext = true;
    l.scalarLimits = {
        scalar(CopperScalarLimitType::length, tenths(channel ? 1000 : 900)),
        scalar(CopperScalarLimitType::propDelay, ones(channel ? 555 : 498)),
        scalar(CopperScalarLimitType::delaySkew, ones(channel ? 50 : 44)),
        scalar(CopperScalarLimitType::resistance, tenths(channel ? 250 : 210)),
        scalar(CopperScalarLimitType::unbalancePercent, tenths(30)),
        scalar(CopperScalarLimitType::unbalanceOhm, hundredths(channel ? 20 : 15)),
    };
    if (g.category == Category::cat6A) {
        l.scalarLimits.push_back(scalar(CopperScalarLimitType::p2pUnbalancePercent, tenths(70)));
        l.scalarLimits.push_back(scalar(CopperScalarLimitType::p2pUnbalanceOhm, hundredths(channel ? 20 : 15)));
        l.scalarLimits.push_back(scalar(CopperScalarLimitType::impedance100, ones(120), ones(80), true));
    }
    l.mediaType = CopperLimit::MediaType::twistedPair;
    l.linkType = CopperLimit::LinkType::normal;
    l.liaCompat = CopperLimit::LiaCompat::warn;
    const Meascop::LiaId adapter = adapterOf(g);
    l.validLiaIds = {{adapter, adapter}};
    stamp(l);
    return l;
}

double rg6InsertionLossDb(double f) { return 0.55 * std::sqrt(f) + 0.0022 * f; }

CopperLimit coaxLimit() {
    CopperLimit l;
    l.name = kCoaxLimitName;
    l.maxFreqKHz = 1000000;
    // 100 m of RG6 with 10 % to spare.
    CopperFreqLimit il;
    il.freqLimitType = T::IL;
    il.limitCurve = gridCurve(l.maxFreqKHz, [](double f) { return 1.1 * rg6InsertionLossDb(f); });
    il.accPoints = {{1000, 0.1f}, {1000000, 0.6f}};
    il.limitEquation = "1.1 x (0.55 sqrt(f) + 0.0022 f)";
    l.freqLimits = {il};
    l.scalarLimits = {
        scalar(CopperScalarLimitType::length, tenths(1000)),
        scalar(CopperScalarLimitType::resistance, tenths(200)),
        scalar(CopperScalarLimitType::impedance75, ones(85), ones(65), true),
    };
    l.mediaType = CopperLimit::MediaType::coax;
    l.tdrLimit = 15;
    l.validLiaIds = {{30, 30}};
    stamp(l);
    return l;
}

std::vector<CopperLimit> limitDatabase() {
    std::vector<CopperLimit> out;
    for (Category c : {Category::cat5e, Category::cat6, Category::cat6A})
        for (LinkClass k : {LinkClass::permanentLink, LinkClass::channel})
            out.push_back(twistedPairLimit({c, Standard::tia, k}));
    for (LinkClass k : {LinkClass::permanentLink, LinkClass::channel})
        out.push_back(twistedPairLimit({Category::cat6A, Standard::iso, k}));
    out.push_back(coaxLimit());
    return out;
}

}  // namespace Kestrix::LinkGen
