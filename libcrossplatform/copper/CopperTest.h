#pragma once
// One copper certification run: its stored fields, its curves and raw data, the queries on them, and its
// re-evaluation against its own limit.
#include <cstdint>
#include <memory>
#include <vector>

#include "copper/CopperPlots.h"
#include "copper/CopperRawData.h"
#include "copper/CopperTestBody.h"

namespace Kestrix {

class CopperTest : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    struct ShortestLength {
        int index = -1;   // into the scalars; -1 when there is none
        ScaledInt value;  // NaN when there is none
    };

    // Framed: the body, the plots and the raw data, each in its own framing.
    void serialize(Marshal::IObjectWriter& w) const override;
    // Ends with the post-read completion step.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"CopperTest": {...}}; at detail level 2 a test with a limit adds its rule masks.
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    // After reading: derives the computed plots from the limit's ACR method and the used pairs (once).
    // False for a test whose limit and plots are beyond any real one (Evaluation::freqRecordsWithinBounds),
    // which is invalid data.
    bool completeRead();

    const CopperSettings& getSettings() const { return body.settings; }
    const CopperCable& getCable() const { return body.cable; }
    const EquipmentInformation& getMainEquipInfo() const { return body.mainEquipInfo; }
    const EquipmentInformation& getRemoteEquipInfo() const { return body.remoteEquipInfo; }
    const std::string& getOperatorName() const { return body.operatorName; }
    std::shared_ptr<CopperLimit> getLimit() const { return body.limit; }
    bool hasLimit() const { return body.limit != nullptr; }

    bool hasCopperFreq(CopperTestType type) const;
    bool findCopperFreq(CopperFreq& out, CopperTestType type, CableEnd end, WirePair src, WirePair rcv) const;
    Status getCopperFreqStatus(CopperTestType type) const;
    bool getCopperFreqStar(CopperTestType type) const;
    // Any pair when `pair` is notset.
    bool hasCopperScalar(CopperTestType type, WirePair pair) const;
    // The first scalar of that type and end and, unless p is notset, with wirePair p and wirePair2 p2.
    bool findCopperScalar(CopperScalar& out, CopperTestType type, CableEnd end, WirePair p, WirePair p2) const;
    Status getStatusByTestType(CopperTestType type) const;
    bool hasPlotData() const;
    bool hasRawData() const { return !rawData.empty(); }
    // Distance in metres of sample i of a time-domain plot.
    float metersAtIndex(int i) const;
    // The shortest judged length: main end, normal qualifier, a used pair.
    ShortestLength shortestLength() const;
    UsedPairs usedPairs() const;

    // Sections the result writer stores for this test.
    bool hasPlotsToStore() const;
    bool hasRawDataToStore() const { return hasRawData(); }

    // Re-judges the test against its own limit; the caller makes sure it has one (hasLimit()).
    // A finite nvp recomputes the lengths from the delays first. Returns the new overall status. A test
    // beyond Evaluation::freqRecordsWithinBounds() (never a read one) is left unchanged.
    Status recertify(float nvp);
    // The rule mask of a plot (1 where the limit is enforced); false when no rule applies.
    bool getLimitEnforced(CopperTestType type, CableEnd end, WirePair src, WirePair rcv,
                          std::vector<uint16_t>& mask) const;

    CopperTestBody body;
    CopperPlots plots;
    CopperRawData rawData;
};

using CopperTestPtr = std::shared_ptr<CopperTest>;

}  // namespace Kestrix
