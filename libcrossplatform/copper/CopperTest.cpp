#include "copper/CopperTest.h"

#include <utility>

#include "copper/CopperEvaluation.h"
#include "copper/CopperLimit.h"
#include "copper/CopperPlotIndex.h"
#include "serialization/Header.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/JsonText.h"

namespace Kestrix {

void CopperTest::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::CopperTest);
    h.serialize(w);
    body.serialize(w);
    plots.serialize(w);
    rawData.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus CopperTest::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::CopperTest)) return st;
    plots.clear();
    rawData.clear();
    if (auto st = body.deserialize(r); st != Marshal::ok) return st;
    if (auto st = plots.deserialize(r); st != Marshal::ok) return st;
    if (auto st = rawData.deserialize(r); st != Marshal::ok) return st;
    const auto st = h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
    if (st == Marshal::ok && !completeRead()) return Marshal::invalidData;
    return st;
}

bool CopperTest::completeRead() {
    const int acrMethod = body.limit ? static_cast<int>(body.limit->acrMethod) : 0;
    plots.deriveComputedPlots(acrMethod, usedPairs());
    return Evaluation::freqRecordsWithinBounds(*this);
}

UsedPairs CopperTest::usedPairs() const {
    UsedPairs u;
    for (int i = 0; i < static_cast<int>(u.used.size()); ++i)
        u.used[static_cast<size_t>(i)] = body.outletConfig.isPairUsed(static_cast<WirePair>(i));
    return u;
}

void CopperTest::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CopperTest::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["copperTestBody"] = body.jsonBody(flags);
    o["copperPlots"] = plots.jsonBody(flags);
    o["rawData"] = rawData.jsonBody(flags);
    if (flags.detail >= 2 && body.limit) {
        Json::Value arrays(Json::arrayValue);
        const CopperPlotIndex index(plots);
        const Evaluation::PlotFinder finder = [&index](CopperTestType t, CableEnd e, WirePair s, WirePair r) {
            return index.find(t, e, s, r);
        };
        for (const auto& p : plots.plots) {
            if (!p) continue;
            // Cut to the plot's own samples: past them the mask says nothing, and a long reference plot
            // met by many short ones would otherwise multiply the output.
            std::vector<uint16_t> mask;
            Evaluation::limitEnforced(*this, finder, p->testType, p->cableEnd, p->srcPair, p->rcvPair, mask,
                                      p->data.size());
            Json::Value m(Json::arrayValue);
            for (uint16_t v : mask) m.append(v);
            Json::Value e(Json::objectValue);
            e["testType"] = toString(p->testType);
            e["wirePair"] = cableEndDisplayText(p->cableEnd);
            e["srcPair"] = toString(p->srcPair);
            e["rcvPair"] = toString(p->rcvPair);
            e["limitEnforced"] = std::move(m);
            arrays.append(std::move(e));
        }
        o["limitEnforcedArrays"] = std::move(arrays);
    }
    return o;
}

Json::Value CopperTest::toJson(const Dump::DumpFlags& flags) const {
    Json::Value root(Json::objectValue);
    root["CopperTest"] = jsonBody(flags);
    return root;
}

bool CopperTest::hasCopperFreq(CopperTestType type) const {
    for (const auto& f : body.copperfreqs.freqs)
        if (f.testType == type) return true;
    return false;
}

bool CopperTest::findCopperFreq(CopperFreq& out, CopperTestType type, CableEnd end, WirePair src, WirePair rcv) const {
    return body.copperfreqs.findFreq(out, type, end, src, rcv);
}

Status CopperTest::getCopperFreqStatus(CopperTestType type) const { return body.copperfreqs.worstStatus(type); }

bool CopperTest::getCopperFreqStar(CopperTestType type) const {
    for (const auto& f : body.copperfreqs.freqs)
        if (f.testType == type && f.status == Status::passStar) return true;
    return false;
}

bool CopperTest::hasCopperScalar(CopperTestType type, WirePair pair) const {
    for (const auto& s : body.scalars)
        if (s.copperTestType == type && (pair == WirePair::notset || s.wirePair == pair)) return true;
    return false;
}

bool CopperTest::findCopperScalar(CopperScalar& out, CopperTestType type, CableEnd end, WirePair p, WirePair p2) const {
    for (const auto& s : body.scalars) {
        if (s.copperTestType != type || s.cableEnd != end) continue;
        if (p != WirePair::notset && (s.wirePair != p || s.wirePair2 != p2)) continue;
        out = s;
        return true;
    }
    return false;
}

Status CopperTest::getStatusByTestType(CopperTestType type) const {
    if (type == CopperTestType::map) return body.wiremap.status;
    Status st = Status::notSet;
    for (const auto& s : body.scalars)
        if (s.copperTestType == type) st = mergeStatus(st, s.status);
    return mergeStatus(st, body.copperfreqs.worstStatus(type));
}

bool CopperTest::hasPlotData() const {
    const auto s = body.settings.storePlotData;
    return s == CopperSettings::StorePlotData::standard || s == CopperSettings::StorePlotData::extended;
}

bool CopperTest::hasPlotsToStore() const { return hasPlotData() || plots.storedCount() > 0; }

float CopperTest::metersAtIndex(int i) const {
    const float nvp = body.settings.nvp.toFloat();
    return (static_cast<float>(i) - static_cast<float>(plots.zeroLengthIndex)) * plots.nsPerSample * 0.29979247f * nvp /
           100.0f;
}

CopperTest::ShortestLength CopperTest::shortestLength() const {
    ShortestLength best;
    ScaledInt minimum = ScaledInt::posInf();
    for (size_t i = 0; i < body.scalars.size(); ++i) {
        const auto& s = body.scalars[i];
        if (s.copperTestType != CopperTestType::length || s.cableEnd != CableEnd::main ||
            s.qualifier != ScalarQualifier::normal || !body.outletConfig.isPairUsed(s.wirePair))
            continue;
        const ScaledInt v = s.scaledValue();
        if (v < minimum) {
            minimum = v;
            best.index = static_cast<int>(i);
            best.value = v;
        }
    }
    return best;
}

}  // namespace Kestrix
