// Computed plots of a copper test, derived from the measured ones after reading.
//
// The insertion-loss plots are taken in stored order, the k-th serving pair k, and every derivation reads
// its plots at the same sample indexes. Tests that break that assumption are handled this way:
//  - no insertion-loss plot for the receive pair of an entry: that entry gets no derived plot, the step
//    goes on with the next entry;
//  - an insertion-loss plot shorter than the plot it is combined with: the derived plot stops where the
//    shorter one does (no sample is made for an index the insertion loss lacks); for ACR at a fixed index,
//    an insertion-loss plot without that index gives no derived plot;
//  - a disturber plot shorter than the first disturber counts as missing (9999) at the indexes it lacks.
#include <algorithm>
#include <limits>

#include "copper/CopperPlots.h"

namespace Kestrix {

namespace {

// round(100 * log10(1 + 10^(-d/100))), d = 0..199
constexpr int16_t kPowerSumTable[200] = {
    30, 30, 29, 29, 28, 28, 27, 27, 26, 26, 25, 25, 25, 24, 24, 23, 23, 22, 22, 22, 21, 21, 20, 20, 20, 19, 19, 19, 18,
    18, 18, 17, 17, 17, 16, 16, 16, 15, 15, 15, 15, 14, 14, 14, 13, 13, 13, 13, 12, 12, 12, 12, 11, 11, 11, 11, 11, 10,
    10, 10, 10, 10, 9,  9,  9,  9,  9,  8,  8,  8,  8,  8,  8,  7,  7,  7,  7,  7,  7,  7,  6,  6,  6,  6,  6,  6,  6,
    5,  5,  5,  5,  5,  5,  5,  5,  5,  5,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  4,  3,  3,  3,  3,  3,  3,  3,  3,
    3,  3,  3,  3,  3,  3,  3,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,  2,
    2,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,
    1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  1,  0,  0,  0,  0,  0,  0};

constexpr int32_t kMissingDisturber = 9999;

// The correction and the power sum as the derivation runs them, thousands of samples per plot: no sort and
// no call. Differences in 64 bits, so that no pair of values overflows.
int32_t correctionOf(int64_t d) { return d >= 0 && d < 200 ? kPowerSumTable[d] : 0; }

int32_t sumOf3(int32_t a, int32_t b, int32_t c) {
    const int32_t lo = std::min(a, b);
    const int32_t hi = std::max(a, b);
    const int64_t v0 = std::min(lo, c);
    const int64_t v1 = std::max(lo, std::min(hi, c));
    const int64_t v2 = std::max(hi, c);
    const int64_t p = v0 - correctionOf(v1 - v0);
    return static_cast<int32_t>(p - correctionOf(v2 - p));
}

int16_t saturate(int32_t v) {
    return static_cast<int16_t>(
        std::clamp<int32_t>(v, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

struct PairEntry {
    WirePair a;
    WirePair b;
};

constexpr PairEntry kCombos[] = {{WirePair::pair1, WirePair::pair2}, {WirePair::pair1, WirePair::pair3},
                                 {WirePair::pair1, WirePair::pair4}, {WirePair::pair2, WirePair::pair3},
                                 {WirePair::pair2, WirePair::pair4}, {WirePair::pair3, WirePair::pair4}};
constexpr PairEntry kSingles[] = {{WirePair::pair1, WirePair::pair1},
                                  {WirePair::pair2, WirePair::pair2},
                                  {WirePair::pair3, WirePair::pair3},
                                  {WirePair::pair4, WirePair::pair4}};

class Deriver {
public:
    Deriver(std::vector<CopperPlotPtr>& plots, int acrMethod, const UsedPairs& used)
        : _plots(plots), _acrMethod(acrMethod), _used(used) {
        for (const auto& p : plots)
            if (p && p->testType == CopperTestType::il) _il.push_back(p);
    }

    bool hasInsertionLoss() const { return !_il.empty(); }

    // One derivation step: result[i] = source[i] + sign * IL(result's receive pair)[i'].
    template <size_t N>
    void step(CopperTestType srcType, CopperTestType resType, const PairEntry (&pairs)[N], CableEnd lookupEnd,
              CableEnd resultEnd, int sign = -1) {
        for (const auto& e : pairs) {
            const CopperPlotPtr src = find(srcType, lookupEnd, e.a, e.b);
            if (!src) return;
            const bool reversed = resType == CopperTestType::elfext && lookupEnd != resultEnd;
            const WirePair rs = reversed ? e.b : e.a;
            const WirePair rr = reversed ? e.a : e.b;
            const CopperPlot* il = insertionLoss(rr);
            if (!il) continue;
            int fixedIndex = -1;
            if (resType == CopperTestType::acr && _acrMethod == 1) fixedIndex = 24;
            if (resType == CopperTestType::acr && _acrMethod == 2) fixedIndex = 120;
            size_t n = src->data.size();
            if (fixedIndex >= 0) {
                if (il->data.size() <= static_cast<size_t>(fixedIndex)) continue;
            } else {
                n = std::min(n, il->data.size());
            }
            // An empty source gives an empty plot (the curve still finds its plot); an insertion loss
            // without samples gives none.
            if (n == 0 && !src->data.empty()) continue;
            auto out = std::make_shared<CopperPlot>(resType, resultEnd, rs, rr);
            out->scaledTo = src->scaledTo;
            out->endIndex = n == 0 ? 0 : std::min<uint32_t>(src->endIndex, static_cast<uint32_t>(n - 1));
            out->data.resize(n);
            for (size_t i = 0; i < n; ++i) {
                const size_t j = fixedIndex >= 0 ? static_cast<size_t>(fixedIndex) : i;
                out->data[i] = saturate(static_cast<int32_t>(src->data[i]) + sign * il->data[j]);
            }
            _plots.push_back(std::move(out));
        }
    }

    // Power sum over the disturbers of each victim pair of one end.
    void powerSum(CopperTestType srcType, CopperTestType resType, CableEnd end) {
        for (int k = 1; k <= 4; ++k) {
            const WirePair victim = static_cast<WirePair>(k);
            std::vector<const CopperPlot*> found;
            for (int j = 1; j <= 4; ++j) {
                if (j == k) continue;
                WirePair src, rcv;
                if (srcType == CopperTestType::next) {
                    // NEXT plots are stored once per combination, lower pair first.
                    src = static_cast<WirePair>(std::min(j, k));
                    rcv = static_cast<WirePair>(std::max(j, k));
                } else {
                    src = static_cast<WirePair>(j);
                    rcv = victim;
                }
                if (!_used(src) || !_used(rcv)) continue;
                const CopperPlotPtr p = find(srcType, end, src, rcv);
                if (!p) return;
                found.push_back(p.get());
            }
            if (found.empty()) continue;
            auto out = std::make_shared<CopperPlot>(resType, end, victim, victim);
            const CopperPlot& first = *found.front();
            out->scaledTo = first.scaledTo;
            out->endIndex = first.endIndex;
            out->data.resize(first.data.size());
            const int16_t* data[3] = {nullptr, nullptr, nullptr};
            size_t size[3] = {0, 0, 0};
            for (size_t d = 0; d < found.size(); ++d) {
                data[d] = found[d]->data.data();
                size[d] = found[d]->data.size();
            }
            const auto at = [&](size_t d, size_t i) { return i < size[d] ? int32_t(data[d][i]) : kMissingDisturber; };
            for (size_t i = 0; i < first.data.size(); ++i)
                out->data[i] = saturate(sumOf3(at(0, i), at(1, i), at(2, i)));
            _plots.push_back(std::move(out));
        }
    }

    // PSFEXT = PSELFEXT + IL of the pair; a missing PSELFEXT plot ends it for that end.
    void psfext(CableEnd end) { step(CopperTestType::pselfext, CopperTestType::psfext, kSingles, end, end, +1); }

private:
    CopperPlotPtr find(CopperTestType t, CableEnd e, WirePair src, WirePair rcv) const {
        for (const auto& p : _plots)
            if (p && p->matches(t, e, src, rcv)) return p;
        return nullptr;
    }

    const CopperPlot* insertionLoss(WirePair pair) const {
        const int k = static_cast<int>(pair);
        if (k < 1 || static_cast<size_t>(k) > _il.size()) return nullptr;
        return _il[static_cast<size_t>(k - 1)].get();
    }

    std::vector<CopperPlotPtr>& _plots;
    std::vector<CopperPlotPtr> _il;
    int _acrMethod;
    UsedPairs _used;
};

}  // namespace

int16_t powerSumCorrection(int32_t d) { return static_cast<int16_t>(correctionOf(d)); }

int32_t powerSum3(int32_t a, int32_t b, int32_t c) { return sumOf3(a, b, c); }

void CopperPlots::deriveComputedPlots(int acrMethod, const UsedPairs& used) {
    if (_derived) return;
    _derived = true;
    Deriver d(plots, acrMethod, used);
    if (!d.hasInsertionLoss()) return;
    const CableEnd mainEnd = CableEnd::main;
    const CableEnd remoteEnd = CableEnd::remote;

    d.step(CopperTestType::next, CopperTestType::acr, kCombos, mainEnd, mainEnd);
    d.step(CopperTestType::next, CopperTestType::acr, kCombos, remoteEnd, remoteEnd);

    d.step(CopperTestType::fext, CopperTestType::elfext, kCombos, mainEnd, mainEnd);
    d.step(CopperTestType::fext, CopperTestType::elfext, kCombos, remoteEnd, mainEnd);
    d.step(CopperTestType::fext, CopperTestType::elfext, kCombos, mainEnd, remoteEnd);
    d.step(CopperTestType::fext, CopperTestType::elfext, kCombos, remoteEnd, remoteEnd);

    d.powerSum(CopperTestType::next, CopperTestType::psnext, mainEnd);
    d.powerSum(CopperTestType::next, CopperTestType::psnext, remoteEnd);

    d.step(CopperTestType::psnext, CopperTestType::psacr, kSingles, mainEnd, mainEnd);
    d.step(CopperTestType::psnext, CopperTestType::psacr, kSingles, remoteEnd, remoteEnd);

    d.powerSum(CopperTestType::elfext, CopperTestType::pselfext, mainEnd);
    d.powerSum(CopperTestType::elfext, CopperTestType::pselfext, remoteEnd);

    d.step(CopperTestType::tctl, CopperTestType::eltctl, kSingles, mainEnd, mainEnd);
    d.step(CopperTestType::tctl, CopperTestType::eltctl, kSingles, remoteEnd, remoteEnd);

    d.psfext(mainEnd);
    d.psfext(remoteEnd);
}

}  // namespace Kestrix
