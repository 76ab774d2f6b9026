#include "copper/CopperLimit.h"

#include "common/TextTable.h"
#include "serialization/JsonText.h"
#include "serialization/TypeIds.h"

namespace Kestrix {

const char* toString(CopperLimit::AcrMethod v) {
    static const char* const k[] = {"normal", "4mhz", "16mhz"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::AltNextCurveRule v) {
    static const char* const k[] = {"none", "next 12dB 450MHz", "next 17dB 900MHz"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::NearComp v) {
    static const char* const k[] = {"default", "off", "short", "long"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::NextFarComp v) {
    static const char* const k[] = {"default", "off", "on", "chop"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::RlFarComp v) {
    static const char* const k[] = {"default", "off", "chop"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::LiaCompat v) {
    static const char* const k[] = {"", "error", "warn", "ok"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::LinkType v) {
    static const char* const k[] = {"normal", "patch", "spool", "end2end"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::MediaType v) {
    static const char* const k[] = {"", "twisted_pair", "coax", "any"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::AltTcl v) {
    static const char* const k[] = {"", "unscreened pairs", "shielded"};
    return textAt(k, static_cast<int32_t>(v));
}
const char* toString(CopperLimit::NextStatusType v) {
    static const char* const k[] = {"normal", "acceptable"};
    return textAt(k, static_cast<int32_t>(v));
}

Json::Value CopperLimit::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "CopperLimit";
    j["_classVersion"] = Marshal::TypeIds::CopperLimit.version;
    j["name"] = name;
    if (flags.detail == 0) return j;

    Json::Value freq(Json::arrayValue);
    for (const CopperFreqLimit& l : freqLimits) freq.append(l.jsonBody(flags));
    j["copperFreqLimits"] = freq;
    Json::Value scalar(Json::arrayValue);
    for (const CopperScalarLimit& l : scalarLimits) scalar.append(l.jsonBody(flags));
    j["copperScalarLimits"] = scalar;
    j["outletConfigs"] = outletConfigs;
    j["acrMethod"] = toString(acrMethod);
    j["maxFreqKHz"] = maxFreqKHz;
    j["maxComp"] = static_cast<double>(maxComp);
    j["do3dbRuleRl"] = do3dbRuleRl;
    j["do4dbRuleNext"] = do4dbRuleNext;
    j["do4dbRuleAcrN"] = do4dbRuleAcrN;
    j["altNextCurveRule"] = toString(altNextCurveRule);
    j["dbRuleAcrF"] = dbRuleAcrF;
    j["dbRulePsAcrF"] = dbRulePsAcrF;
    j["dbRuleAcrFStartFreqKHz"] = dbRuleAcrFStartFreqKHz;
    j["basicLink"] = basicLink;
    j["nextNearComp"] = toString(nextNearComp);
    j["nextFarComp"] = toString(nextFarComp);
    j["rlNearComp"] = toString(rlNearComp);
    j["rlFarComp"] = toString(rlFarComp);
    Json::Value valid(Json::arrayValue);
    for (const LiaPair& p : validLiaIds) {
        Json::Value pair(Json::arrayValue);
        pair.append(Meascop::liaName(p.first));
        pair.append(Meascop::liaName(p.second));
        valid.append(pair);
    }
    j["validLiaIds"] = valid;
    Json::Value invalid(Json::arrayValue);
    for (Meascop::LiaId id : invalidLiaIds) invalid.append(Meascop::liaName(id));
    j["invalidLiaIds"] = invalid;
    j["liaCompat"] = toString(liaCompat);
    j["linkType"] = toString(linkType);
    j["dbPkgMfstSummary"] = dbPkgMfstSummary.toJson(flags);
    j["mediaType"] = toString(mediaType);
    j["tdrLimit"] = tdrLimit;
    j["altTcl"] = toString(altTcl);
    j["nextStatusType"] = toString(nextStatusType);
    return j;
}

Json::Value CopperLimit::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["CopperLimit"] = jsonBody(flags);
    return j;
}

void CopperLimit::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

}  // namespace Kestrix
