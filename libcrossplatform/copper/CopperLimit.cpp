#include "copper/CopperLimit.h"

#include "copper/CopperOutletConfig.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

namespace {
// Smallest stored curve: version, type, info flag, zero points, zero breakpoints (version 0, no equation).
constexpr uint32_t kMinFreqLimitSize = 1 + 2 + 1 + 4 + 4;
constexpr uint8_t kFirstWithOutletText = 3;
constexpr uint8_t kFirstWithMedia = 1;
constexpr uint8_t kFirstWithNextStatus = 4;
// Older layouts: bytes after the legacy outlet object, and in place of the rule fields.
constexpr uint32_t kLegacyOutletTail = 3;
constexpr uint32_t kLegacyRuleBytes = 7;

bool readFlag(Marshal::IObjectReader& r) {
    uint8_t v = 0;
    r.read(v);
    return v != 0;
}

void skip(Marshal::IObjectReader& r, uint32_t n) {
    uint8_t scratch[8];
    r.read(scratch, n);
}
}  // namespace

void CopperLimit::reset() {
    name.clear();
    freqLimits.clear();
    scalarLimits.clear();
    outletConfigs.clear();
    acrMethod = AcrMethod::normal;
    maxFreqKHz = 250000;
    maxComp = -25.0f;
    do3dbRuleRl = false;
    do4dbRuleNext = false;
    do4dbRuleAcrN = false;
    altNextCurveRule = AltNextCurveRule::none;
    dbRuleAcrF = 0;
    dbRulePsAcrF = 0;
    dbRuleAcrFStartFreqKHz = 0;
    basicLink = false;
    nextNearComp = NearComp::defaultComp;
    nextFarComp = NextFarComp::defaultComp;
    rlNearComp = NearComp::defaultComp;
    rlFarComp = RlFarComp::defaultComp;
    validLiaIds.clear();
    invalidLiaIds.clear();
    liaCompat = LiaCompat::unset;
    linkType = LinkType::normal;
    dbPkgMfstSummary = DatabasePackageManifestSummary();
    mediaType = MediaType::twistedPair;
    tdrLimit = 0;
    altTcl = AltTcl::unset;
    nextStatusType = NextStatusType::normal;
}

void CopperLimit::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::CopperLimit);
    h.serialize(w);
    w.write(name);
    w.write(static_cast<uint32_t>(freqLimits.size()));
    for (const CopperFreqLimit& l : freqLimits) l.serialize(w);
    w.write(static_cast<uint32_t>(scalarLimits.size()));
    for (const CopperScalarLimit& l : scalarLimits) l.serialize(w);
    w.write(outletConfigs);
    w.write(static_cast<uint8_t>(acrMethod));
    w.write(maxFreqKHz);
    w.write(maxComp);
    w.write(do3dbRuleRl);
    w.write(do4dbRuleNext);
    w.write(static_cast<uint8_t>(0));  // reserved flag
    w.write(do4dbRuleAcrN);
    w.write(static_cast<uint8_t>(altNextCurveRule));
    w.write(dbRuleAcrF);
    w.write(dbRulePsAcrF);
    w.write(dbRuleAcrFStartFreqKHz);
    w.write(basicLink);
    w.write(static_cast<uint8_t>(nextNearComp));
    w.write(static_cast<uint8_t>(nextFarComp));
    w.write(static_cast<uint8_t>(rlNearComp));
    w.write(static_cast<uint8_t>(rlFarComp));
    w.write(static_cast<uint32_t>(validLiaIds.size()));
    for (const LiaPair& p : validLiaIds) {
        w.write(p.first);
        w.write(p.second);
    }
    w.write(static_cast<uint32_t>(invalidLiaIds.size()));
    for (Meascop::LiaId id : invalidLiaIds) w.write(id);
    w.write(static_cast<uint16_t>(liaCompat));
    dbPkgMfstSummary.serialize(w);
    w.write(static_cast<uint8_t>(mediaType));
    w.write(tdrLimit);
    w.write(static_cast<uint8_t>(linkType));
    w.write(static_cast<uint8_t>(altTcl));
    w.write(static_cast<uint8_t>(nextStatusType));
    h.finishWrite(w);
}

Marshal::StreamOpStatus CopperLimit::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::CopperLimit)) return st;
    const uint8_t version = h.classVersion;
    reset();
    r.read(name);

    uint32_t count = 0;
    if (!Marshal::readCount<uint32_t>(r, kMinFreqLimitSize, count)) return h.finishRead(r, Marshal::readError);
    freqLimits.resize(count);
    for (CopperFreqLimit& l : freqLimits)
        if (auto st = l.deserialize(r)) return st;

    if (!Marshal::readCount<uint32_t>(r, CopperScalarLimit::kWireSize, count))
        return h.finishRead(r, Marshal::readError);
    scalarLimits.resize(count);
    for (CopperScalarLimit& l : scalarLimits)
        if (auto st = l.deserialize(r)) return st;

    if (version >= kFirstWithOutletText) {
        r.read(outletConfigs);
    } else {
        CopperOutletConfig legacy;
        if (auto st = legacy.deserialize(r)) return st;
        skip(r, kLegacyOutletTail);
    }
    acrMethod = Marshal::readEnum<AcrMethod>(r);
    r.read(maxFreqKHz);
    r.read(maxComp);
    do3dbRuleRl = readFlag(r);
    do4dbRuleNext = readFlag(r);
    readFlag(r);  // reserved
    do4dbRuleAcrN = readFlag(r);
    if (version >= kFirstWithOutletText) {
        altNextCurveRule = Marshal::readEnum<AltNextCurveRule>(r);
        r.read(dbRuleAcrF);
        r.read(dbRulePsAcrF);
        r.read(dbRuleAcrFStartFreqKHz);
    } else {
        skip(r, kLegacyRuleBytes);
    }
    basicLink = readFlag(r);
    nextNearComp = Marshal::readEnum<NearComp>(r);
    nextFarComp = Marshal::readEnum<NextFarComp>(r);
    rlNearComp = Marshal::readEnum<NearComp>(r);
    rlFarComp = Marshal::readEnum<RlFarComp>(r);

    auto readLiaPair = [](Marshal::IObjectReader& in, LiaPair& p) {
        in.read(p.first);
        in.read(p.second);
    };
    if (auto st = Marshal::readList<uint32_t>(r, validLiaIds, 2 * sizeof(Meascop::LiaId), readLiaPair))
        return h.finishRead(r, st);
    if (auto st = Marshal::readValues<uint32_t>(r, invalidLiaIds)) return h.finishRead(r, st);
    liaCompat = Marshal::readEnum<LiaCompat, uint16_t>(r);
    if (r.failed()) return h.finishRead(r, Marshal::readError);
    if (auto st = dbPkgMfstSummary.deserialize(r)) return st;

    if (version >= kFirstWithMedia) {
        mediaType = Marshal::readEnum<MediaType>(r);
        r.read(tdrLimit);
        linkType = Marshal::readEnum<LinkType>(r);
        altTcl = Marshal::readEnum<AltTcl>(r);
    }
    if (version >= kFirstWithNextStatus) nextStatusType = Marshal::readEnum<NextStatusType>(r);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

bool CopperLimit::findFreqLimit(CopperFreqLimit& out, CopperFreqLimitType type, PairCombo pair) const {
    for (const CopperFreqLimit& l : freqLimits) {
        if (l.freqLimitType == type && l.pair == pair) {
            out = l;
            return true;
        }
    }
    return false;
}

bool CopperLimit::findScalarLimit(CopperScalarLimit& out, CopperScalarLimitType type) const {
    for (const CopperScalarLimit& l : scalarLimits) {
        if (l.type == type) {
            out = l;
            return true;
        }
    }
    return false;
}

bool CopperLimit::findScalarLimit(CopperScalarLimit& out, CopperTestType testType, int nominalOhms) const {
    for (const CopperScalarLimit& l : scalarLimits) {
        if (scalarLimitTestType(l.type) != testType) continue;
        if (testType == CopperTestType::imped && scalarLimitNominalOhms(l.type) != nominalOhms) continue;
        if (testType == CopperTestType::unbalance && l.type == CopperScalarLimitType::unbalancePercent) continue;
        out = l;
        return true;
    }
    return false;
}

bool CopperLimit::hasFreqLimit(CopperFreqLimitType type) const {
    for (const CopperFreqLimit& l : freqLimits)
        if (l.freqLimitType == type) return true;
    return false;
}

bool CopperLimit::hasFreqLimit(CopperFreqLimitType type, PairCombo pair) const {
    for (const CopperFreqLimit& l : freqLimits)
        if (l.freqLimitType == type && l.pair == pair) return true;
    return false;
}

}  // namespace Kestrix
