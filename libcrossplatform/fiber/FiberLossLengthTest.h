#pragma once
#include <cstdint>
#include <vector>

#include "common/Celsius.h"
#include "common/DisplayMeas.h"
#include "common/EquipmentInformation.h"
#include "fiber/Fiber.h"
#include "fiber/FiberLimit.h"
#include "fiber/FiberLossLengthPerDirectionWl.h"
#include "fiber/FiberLossLengthSettings.h"
#include "fiber/FiberTest.h"

namespace Kestrix {

// Warning bits of a loss/length test.
enum class LossLengthWarning : uint32_t { negativeLength = 2, negativeLoss = 4, trcLoss = 8 };
// "NegativeLength", "NegativeLoss", "TrcLoss"; empty for other bits.
const char* lossLengthWarningText(uint32_t bit);

// Optical loss test set measurement: loss per direction and wavelength, length and delay, limit checks.
class FiberLossLengthTest : public FiberTest {
public:
    FiberLossLengthTest() : FiberTest(FiberTestType::lossLength) {}

    Kind testKind() const override { return Kind::lossLength; }
    bool getLimit(FiberLimit& out) const override;
    bool getFiber(Fiber& out) const override;

    // NaN when the index is past the end.
    ScaledInt getPatchCordLength(unsigned index) const;
    // The worst "maxOverallLoss" result of the entries from `end` (all entries for end 0): any Fail beats
    // every other status, then the smaller margin; the first found wins ties.
    const FiberCheckLimitResult* getMaxLossCheckLimitResult(CableEnd end) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    EquipmentInformation equipmentInfo;
    EquipmentInformation remoteEquipInfo;
    FiberLossLengthSettings settings;
    Fiber fiber;
    FiberLimit limit;
    std::vector<ScaledInt> patchCordLength;
    std::vector<FiberLossLengthTestPerDirectionWl> testPerDirectionWlVec;
    int64_t lastRefTime = 0;
    Celsius celsius;
    uint32_t warningFlags = 0;
    uint32_t failWarningFlags = 0;
    ScaledInt length;
    float nsPropTime = 0;
    DisplayMeas overallLossMeas;
    DisplayMeas headroom;
    FiberLimitResultList limitResults;
};

}  // namespace Kestrix
