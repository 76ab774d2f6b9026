#pragma once
// A copper test limit: the pass/fail criteria of one link class (limit curves per quantity and pair
// combination, scalar ranges) and the rules and compensation settings the tester applies with them.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/DatabasePackageManifest.h"
#include "copper/CopperFreqLimit.h"
#include "copper/CopperScalarLimit.h"
#include "copper/LiaId.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

class CopperLimit : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    enum class AcrMethod : int32_t { normal = 0, mhz4 = 1, mhz16 = 2 };
    enum class AltNextCurveRule : int32_t { none = 0, next12dB450MHz = 1, next17dB900MHz = 2 };
    enum class NearComp : int32_t { defaultComp = 0, off = 1, shortComp = 2, longComp = 3 };
    enum class NextFarComp : int32_t { defaultComp = 0, off = 1, on = 2, chop = 3 };
    enum class RlFarComp : int32_t { defaultComp = 0, off = 1, chop = 2 };
    enum class LiaCompat : int32_t { unset = 0, error = 1, warn = 2, ok = 3 };
    enum class LinkType : int32_t { normal = 0, patch = 1, spool = 2, end2end = 3 };
    enum class MediaType : int32_t { unset = 0, twistedPair = 1, coax = 2, any = 3 };
    enum class AltTcl : int32_t { unset = 0, unscreenedPairs = 1, shielded = 2 };
    enum class NextStatusType : int32_t { normal = 0, acceptable = 1 };

    using LiaPair = std::pair<Meascop::LiaId, Meascop::LiaId>;

    CopperLimit() { reset(); }

    void serialize(Marshal::IObjectWriter& w) const override;
    // Reads class versions 0 to 4; fields a version lacks keep their reset defaults.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"CopperLimit": body}; limit curves are abbreviated below detail level 2.
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    // A limit stored as a database blob: zlib data inflating to origSize bytes, or the stream itself when
    // origSize < 1. A null, undersized or undecodable blob gives invalidData and leaves the limit as it was.
    Marshal::StreamOpStatus open(const uint8_t* data, int length, int origSize);

    void reset();

    // The first curve of that type for exactly that pair value.
    bool findFreqLimit(CopperFreqLimit& out, CopperFreqLimitType type, PairCombo pair) const;
    // The first scalar limit of that type.
    bool findScalarLimit(CopperScalarLimit& out, CopperScalarLimitType type) const;
    // The first scalar limit judging that test type; impedance limits must match the nominal ohms (0 for
    // the plain form), and for unbalance the percent form is passed over.
    bool findScalarLimit(CopperScalarLimit& out, CopperTestType testType, int nominalOhms) const;
    bool hasFreqLimit(CopperFreqLimitType type) const;
    bool hasFreqLimit(CopperFreqLimitType type, PairCombo pair) const;

    const std::string& getName() const { return name; }
    int32_t getMaxFreqKHz() const { return maxFreqKHz; }
    const DatabasePackageManifestSummary& getDbPkgMfstSummary() const { return dbPkgMfstSummary; }

    std::string name;
    std::vector<CopperFreqLimit> freqLimits;
    std::vector<CopperScalarLimit> scalarLimits;
    std::string outletConfigs;
    AcrMethod acrMethod;
    int32_t maxFreqKHz;
    float maxComp;
    bool do3dbRuleRl;
    bool do4dbRuleNext;
    bool do4dbRuleAcrN;
    AltNextCurveRule altNextCurveRule;
    int8_t dbRuleAcrF;
    int8_t dbRulePsAcrF;
    int32_t dbRuleAcrFStartFreqKHz;
    bool basicLink;
    NearComp nextNearComp;
    NextFarComp nextFarComp;
    NearComp rlNearComp;
    RlFarComp rlFarComp;
    std::vector<LiaPair> validLiaIds;
    std::vector<Meascop::LiaId> invalidLiaIds;
    LiaCompat liaCompat;
    LinkType linkType;
    DatabasePackageManifestSummary dbPkgMfstSummary;
    MediaType mediaType;
    int16_t tdrLimit;
    AltTcl altTcl;
    NextStatusType nextStatusType;
};

const char* toString(CopperLimit::AcrMethod v);
const char* toString(CopperLimit::AltNextCurveRule v);
const char* toString(CopperLimit::NearComp v);
const char* toString(CopperLimit::NextFarComp v);
const char* toString(CopperLimit::RlFarComp v);
const char* toString(CopperLimit::LiaCompat v);
const char* toString(CopperLimit::LinkType v);
const char* toString(CopperLimit::MediaType v);
const char* toString(CopperLimit::AltTcl v);
const char* toString(CopperLimit::NextStatusType v);

}  // namespace Kestrix
