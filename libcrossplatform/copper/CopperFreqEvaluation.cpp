// Rebuilding a copper test's frequency records from its plots and its limit curves, and the rule masks
// that say where a curve is enforced.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "copper/CopperEvaluation.h"
#include "copper/CopperPlotIndex.h"
#include "copper/CopperUtil.h"
#include "serialization/Assert.h"

namespace Kestrix {

namespace {

constexpr int16_t kNoLimit = CopperFreqLimit::kNoLimit;

// Samples of the frequency grid the alternative-curve rules look at, and their insertion-loss thresholds in
// tenths of a dB.
constexpr size_t kSampleAt450MHz = 1017;
constexpr size_t kSampleAt900MHz = 1467;
constexpr size_t kSampleAt1600MHz = 1967;
constexpr int16_t kIl12dB = 120;
constexpr int16_t kIl15dB = 150;
constexpr int16_t kIl17dB = 170;

ScaledInt tenths(int32_t v) { return ScaledInt::raw(v, ScaledInt::tenths); }

// Mask entries beyond the reference plot: enforced, the conservative verdict.
bool enforcedAt(const std::vector<uint16_t>& mask, size_t i) {
    return mask.empty() || i >= mask.size() || mask[i] != 0;
}

struct ScanResult {
    bool seen = false;
    Status status = Status::show;
};

// Lower-bound quantities (NEXT, RL ...): the smallest sample and the smallest sample - limit.
ScanResult scanLowerBound(CopperFreq& r, const CopperPlot& p, const CopperFreqLimit& l,
                          const std::vector<uint16_t>& mask, bool decides) {
    const size_t n = std::min(p.data.size(), l.limitCurve.size());
    int wvIdx = -1, wmIdx = -1;
    int32_t wv = kNoLimit, wm = kNoLimit;
    for (size_t k = n; k-- > 0;) {
        const int32_t curve = l.limitCurve[k];
        if (curve == kNoLimit || !enforcedAt(mask, k)) continue;
        const int32_t sample = p.data[k];
        const int32_t margin = sample - curve;
        if (wvIdx < 0 || sample < wv) {
            wv = sample;
            wvIdx = static_cast<int>(k);
        }
        if (wmIdx < 0 || margin < wm) {
            wm = margin;
            wmIdx = static_cast<int>(k);
        }
    }
    ScanResult res;
    if (wvIdx < 0) return res;
    res.seen = true;
    r.wmValue = tenths(p.data[static_cast<size_t>(wmIdx)]);
    r.wmLimit = tenths(l.limitCurve[static_cast<size_t>(wmIdx)]);
    r.wmLocation = idxToKHz(wmIdx);
    r.wvValue = tenths(wv);
    r.wvLimit = tenths(l.limitCurve[static_cast<size_t>(wvIdx)]);
    r.wvLocation = idxToKHz(wvIdx);
    if (decides) res.status = wm < 0 ? Status::fail : Status::pass;
    return res;
}

// Insertion loss (an upper bound): the largest sample above -1.0 dB and the smallest limit - sample.
ScanResult scanUpperBound(CopperFreq& r, const CopperPlot& p, const CopperFreqLimit& l,
                          const std::vector<uint16_t>& mask, bool decides) {
    const size_t n = std::min(p.data.size(), l.limitCurve.size());
    int wvIdx = -1, wmIdx = -1;
    int32_t wv = -10, wm = kNoLimit;
    bool seen = false;
    for (size_t k = n; k-- > 0;) {
        const int32_t curve = l.limitCurve[k];
        if (curve == kNoLimit || !enforcedAt(mask, k)) continue;
        seen = true;
        const int32_t sample = p.data[k];
        const int32_t margin = curve - sample;
        if (sample > wv) {
            wv = sample;
            wvIdx = static_cast<int>(k);
        }
        if (wmIdx < 0 || margin < wm) {
            wm = margin;
            wmIdx = static_cast<int>(k);
        }
    }
    ScanResult res;
    if (!seen) return res;
    res.seen = true;
    r.wmValue = tenths(p.data[static_cast<size_t>(wmIdx)]);
    r.wmLimit = tenths(l.limitCurve[static_cast<size_t>(wmIdx)]);
    r.wmLocation = idxToKHz(wmIdx);
    if (wvIdx >= 0) {
        r.wvValue = tenths(wv);
        r.wvLimit = tenths(l.limitCurve[static_cast<size_t>(wvIdx)]);
        r.wvLocation = idxToKHz(wvIdx);
    } else {
        r.wvValue = tenths(0);
        r.wvLimit = tenths(0);
        r.wvLocation = idxToKHz(0);
    }
    if (decides) res.status = wm < 0 ? Status::fail : Status::pass;
    return res;
}

const CopperPlot* insertionLossOf(const CopperPlotIndex& index, WirePair pair) {
    return index.find(CopperTestType::il, CableEnd::main, pair, pair);
}

bool ilBelow(const CopperPlotIndex& index, WirePair pair, size_t i, int16_t threshold) {
    const CopperPlot* il = insertionLossOf(index, pair);
    return il && il->data.size() > i && il->data[i] < threshold;
}

bool nextRuleHolds(const CopperPlotIndex& index, const CopperLimit& limit, WirePair rcv, CopperFreqLimitType alt) {
    if (!limit.hasFreqLimit(alt)) return false;
    switch (limit.altNextCurveRule) {
        case CopperLimit::AltNextCurveRule::next12dB450MHz: return ilBelow(index, rcv, kSampleAt450MHz, kIl12dB);
        case CopperLimit::AltNextCurveRule::next17dB900MHz: return ilBelow(index, rcv, kSampleAt900MHz, kIl17dB);
        default: return false;
    }
}

bool rlRuleHolds(const CopperPlotIndex& index, const CopperLimit& limit, WirePair rcv) {
    return limit.hasFreqLimit(CopperFreqLimitType::RL_ALT) && ilBelow(index, rcv, kSampleAt1600MHz, kIl15dB);
}

bool shieldingRuleHolds(const CopperTest& test, const CopperLimit& limit, CopperFreqLimitType alt) {
    if (!limit.hasFreqLimit(alt)) return false;
    using S = CopperCable::Shield;
    const S s = test.body.cable.copperShield;
    switch (limit.altTcl) {
        case CopperLimit::AltTcl::unscreenedPairs:
            return s == S::notUsed || s == S::UUTP || s == S::FUTP || s == S::SFUTP;
        case CopperLimit::AltTcl::shielded: return s == S::UFTP || s == S::FUTP || s == S::SFTP || s == S::SFUTP;
        default: return false;
    }
}

// True when the alternate-curve rules select the other curve of L's pair of curves for plot P.
bool skipForAlternate(const CopperTest& test, const CopperPlotIndex& index, const CopperLimit& limit,
                      CopperFreqLimitType type, WirePair rcv) {
    using T = CopperFreqLimitType;
    switch (type) {
        case T::NEXT: return nextRuleHolds(index, limit, rcv, T::NEXT_ALT);
        case T::NEXT_ALT: return !nextRuleHolds(index, limit, rcv, T::NEXT_ALT);
        case T::PSNEXT: return nextRuleHolds(index, limit, rcv, T::PSNEXT_ALT);
        case T::PSNEXT_ALT: return !nextRuleHolds(index, limit, rcv, T::PSNEXT_ALT);
        case T::RL: return rlRuleHolds(index, limit, rcv);
        case T::RL_ALT: return !rlRuleHolds(index, limit, rcv);
        case T::TCL: return shieldingRuleHolds(test, limit, T::TCL_ALT);
        case T::TCL_ALT: return !shieldingRuleHolds(test, limit, T::TCL_ALT);
        case T::ELTCTL: return shieldingRuleHolds(test, limit, T::ELTCTL_ALT);
        case T::ELTCTL_ALT: return !shieldingRuleHolds(test, limit, T::ELTCTL_ALT);
        default: return false;
    }
}

void buildMask(const CopperPlot& ref, int32_t threshold, bool atOrAbove, int32_t startKHz, size_t maxLength,
               std::vector<uint16_t>& mask) {
    const size_t size = std::min(ref.data.size(), maxLength);
    mask.assign(size, 0);
    size_t i = 0;
    if (startKHz > 0) {
        const size_t first = std::min(static_cast<size_t>(kHzToIdx(startKHz)) + 1, size);
        for (; i < first; ++i) mask[i] = 1;
    }
    for (; i < size; ++i) {
        const int32_t v = ref.data[i];
        mask[i] = (atOrAbove ? v >= threshold : v <= threshold) ? 1 : 0;
    }
}

// What one limit curve meets: the plots it judges, in plot order. Curves of one type and pair judge the
// same plots, so the lists are made once per (type, pair) from the plots grouped by test type.
class RecordPlan {
public:
    RecordPlan(const CopperTest& test, const CopperPlotIndex& index)
        : _test(test), _index(index), _limit(*test.body.limit), _used(test.usedPairs()) {
        for (const auto& p : test.plots.plots) {
            if (p && _used(p->srcPair) && _used(p->rcvPair))
                _byType[static_cast<int32_t>(p->testType)].push_back(p.get());
        }
        for (const auto& l : _limit.freqLimits) {
            if (l.pair != PairCombo::any)
                _specific.emplace(static_cast<int32_t>(l.freqLimitType), static_cast<int32_t>(l.pair));
        }
    }

    struct Plots {
        std::vector<const CopperPlot*> plots;
        uint64_t samples = 0;
    };

    const Plots& plotsFor(const CopperFreqLimit& l) {
        const auto key = std::make_pair(static_cast<int32_t>(l.freqLimitType), static_cast<int32_t>(l.pair));
        const auto found = _lists.find(key);
        if (found != _lists.end()) return found->second;
        Plots& out = _lists[key];
        const auto group = _byType.find(static_cast<int32_t>(Evaluation::testTypeOf(l.freqLimitType)));
        if (group == _byType.end()) return out;
        for (const CopperPlot* p : group->second) {
            const PairCombo pc = pairComboOf(p->srcPair, p->rcvPair);
            const bool applies =
                l.pair == pc || (l.pair == PairCombo::any && !_specific.count({key.first, static_cast<int32_t>(pc)}));
            if (!applies || skips(l.freqLimitType, p->rcvPair)) continue;
            out.plots.push_back(p);
            out.samples += p->data.size() + 1;
        }
        return out;
    }

    // False when the curves and plots make more records, or more work, than any real limit does.
    bool withinBounds() {
        uint64_t records = 0, samples = 0;
        for (const auto& l : _limit.freqLimits) {
            const Plots& p = plotsFor(l);
            records += p.plots.size();
            samples += p.samples;
            if (records > kMaxFreqRecords || samples > kMaxFreqSampleWork) return false;
        }
        return true;
    }

private:
    bool skips(CopperFreqLimitType type, WirePair rcv) {
        const auto key = std::make_pair(static_cast<int32_t>(type), static_cast<int32_t>(rcv));
        const auto found = _skips.find(key);
        if (found != _skips.end()) return found->second;
        return _skips[key] = skipForAlternate(_test, _index, _limit, type, rcv);
    }

    // A real limit meets a few hundred plots; these are far above any of them.
    static constexpr uint64_t kMaxFreqRecords = uint64_t{1} << 16;
    static constexpr uint64_t kMaxFreqSampleWork = uint64_t{1} << 26;

    const CopperTest& _test;
    const CopperPlotIndex& _index;
    const CopperLimit& _limit;
    const UsedPairs _used;
    std::map<int32_t, std::vector<const CopperPlot*>> _byType;
    std::set<std::pair<int32_t, int32_t>> _specific;
    std::map<std::pair<int32_t, int32_t>, Plots> _lists;
    std::map<std::pair<int32_t, int32_t>, bool> _skips;
};

}  // namespace

namespace Evaluation {

CopperTestType testTypeOf(CopperFreqLimitType t) {
    using T = CopperFreqLimitType;
    switch (t) {
        case T::IL: return CopperTestType::il;
        case T::NEXT:
        case T::NEXT_ALT: return CopperTestType::next;
        case T::PSNEXT:
        case T::PSNEXT_ALT: return CopperTestType::psnext;
        case T::ACR: return CopperTestType::acr;
        case T::PSACR: return CopperTestType::psacr;
        case T::ELFEXT: return CopperTestType::elfext;
        case T::PSELFEXT: return CopperTestType::pselfext;
        case T::RL:
        case T::RL_ALT: return CopperTestType::rl;
        case T::TCL:
        case T::TCL_ALT: return CopperTestType::tcl;
        case T::TCTL: return CopperTestType::tctl;
        case T::ELTCTL:
        case T::ELTCTL_ALT: return CopperTestType::eltctl;
        case T::CMRL: return CopperTestType::cmrl;
        case T::CDNEXT: return CopperTestType::cdnext;
        case T::TDR: return CopperTestType::tdr;
        default: return CopperTestType::none;
    }
}

void evaluateRecord(CopperFreq& r, const CopperPlot& p, const CopperFreqLimit& l, const std::vector<uint16_t>& mask,
                    CopperLimit::NextStatusType nextStatusType) {
    const bool upper = p.testType == CopperTestType::il;
    if (l.limitCurve.empty()) {
        // No curve: only the worst value is shown.
        int idx = -1;
        int32_t best = upper ? 0 : kNoLimit;
        for (size_t k = 0; k < p.data.size(); ++k) {
            const int32_t v = p.data[k];
            if (upper ? v > best : (idx < 0 || v < best)) {
                best = v;
                idx = static_cast<int>(k);
            }
        }
        if (upper && idx < 0 && !p.data.empty()) idx = 0;
        if (idx >= 0) {
            r.wvValue = tenths(best);
            r.wvLocation = idxToKHz(idx);
        }
        r.status = Status::show;
        return;
    }

    const bool decides = !l.isInfoOnly;
    const auto scan = upper ? scanUpperBound : scanLowerBound;
    ScanResult res = scan(r, p, l, mask, decides);
    if (!res.seen) res = scan(r, p, l, {}, false);
    r.status = res.status;

    if (upper && r.status == Status::pass) {
        r.wmValue = r.wvValue;
        r.wmLimit = r.wvLimit;
        r.wmLocation = r.wvLocation;
    }
    if (r.status == Status::pass || r.status == Status::fail) {
        const float margin = std::fabs(r.getWmMargin().toFloat());
        const float accuracy = l.accuracyAt(p.testType == CopperTestType::tdr ? 0 : r.wmLocation);
        if (margin < accuracy) r.status = r.status == Status::pass ? Status::passStar : Status::failStar;
    }
    if (nextStatusType == CopperLimit::NextStatusType::acceptable && p.testType == CopperTestType::next &&
        (r.status == Status::passStar || r.status == Status::failStar))
        r.status = Status::passAcceptable;
}

bool freqRecordsWithinBounds(const CopperTest& test) {
    if (!test.body.limit) return true;
    const CopperPlotIndex index(test.plots);
    return RecordPlan(test, index).withinBounds();
}

bool rebuildFreqRecords(CopperTest& test) {
    KX_ASSERT_MSG(test.body.limit, "copperTestBody.limit");
    const CopperLimit& limit = *test.body.limit;
    const CopperPlotIndex index(test.plots);
    RecordPlan plan(test, index);
    if (!plan.withinBounds()) return false;
    const PlotFinder finder = [&index](CopperTestType t, CableEnd e, WirePair src, WirePair rcv) {
        return index.find(t, e, src, rcv);
    };
    auto& records = test.body.copperfreqs.freqs;
    records.clear();
    for (const auto& l : limit.freqLimits) {
        const CopperTestType t = testTypeOf(l.freqLimitType);
        for (const CopperPlot* p : plan.plotsFor(l).plots) {
            CopperFreq r;
            r.testType = t;
            r.cableEnd = p->cableEnd;
            r.srcPair = p->srcPair;
            r.rcvPair = p->rcvPair;
            r.limitType = l.freqLimitType;
            std::vector<uint16_t> mask;
            // Mask entries past the plot's own samples are never looked at.
            limitEnforced(test, finder, p->testType, p->cableEnd, p->srcPair, p->rcvPair, mask, p->data.size());
            evaluateRecord(r, *p, l, mask, limit.nextStatusType);
            records.push_back(r);
        }
    }
    return true;
}

bool limitEnforced(const CopperTest& test, const PlotFinder& find, CopperTestType type, CableEnd end, WirePair src,
                   WirePair rcv, std::vector<uint16_t>& mask, size_t maxLength) {
    mask.clear();
    if (!test.body.limit) return false;
    const CopperLimit& limit = *test.body.limit;
    const CopperPlot* ref = nullptr;
    int32_t threshold = 0;
    bool atOrAbove = true;
    int32_t startKHz = 0;
    switch (type) {
        case CopperTestType::rl:
            if (!limit.do3dbRuleRl) return false;
            threshold = 30;
            ref = find(CopperTestType::il, CableEnd::main, rcv, rcv);
            break;
        case CopperTestType::next:
        case CopperTestType::psnext:
            if (!limit.do4dbRuleNext) return false;
            threshold = 40;
            ref = find(CopperTestType::il, CableEnd::main, rcv, rcv);
            break;
        case CopperTestType::acr:
        case CopperTestType::psacr:
            if (!limit.do4dbRuleAcrN) return false;
            threshold = 40;
            ref = find(CopperTestType::il, CableEnd::main, rcv, rcv);
            break;
        case CopperTestType::pselfext:
            if (limit.dbRulePsAcrF <= 0) return false;
            threshold = limit.dbRulePsAcrF * 10;
            atOrAbove = false;
            startKHz = limit.dbRuleAcrFStartFreqKHz;
            ref = find(CopperTestType::psfext, end, src, rcv);
            break;
        case CopperTestType::elfext:
            if (limit.dbRuleAcrF <= 0) return false;
            threshold = limit.dbRuleAcrF * 10;
            atOrAbove = false;
            startKHz = limit.dbRuleAcrFStartFreqKHz;
            if (static_cast<int32_t>(src) > static_cast<int32_t>(rcv)) {
                std::swap(src, rcv);
                end = end == CableEnd::main ? CableEnd::remote : CableEnd::main;
            }
            ref = find(CopperTestType::fext, end, src, rcv);
            break;
        default: return false;
    }
    if (!ref) return false;
    buildMask(*ref, threshold, atOrAbove, startKHz, maxLength, mask);
    return true;
}

}  // namespace Evaluation

bool CopperTest::getLimitEnforced(CopperTestType type, CableEnd end, WirePair src, WirePair rcv,
                                  std::vector<uint16_t>& mask) const {
    // One look-up: a scan of the plots is cheaper than an index.
    const Evaluation::PlotFinder find = [this](CopperTestType t, CableEnd e, WirePair s, WirePair r) {
        return plots.findPlot(t, e, s, r);
    };
    return Evaluation::limitEnforced(*this, find, type, end, src, rcv, mask);
}

}  // namespace Kestrix
