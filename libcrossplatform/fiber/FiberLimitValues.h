#pragma once
#include <cstdint>

#include <boost/container/flat_map.hpp>
#include <boost/container/flat_set.hpp>

#include "common/ScaledInt.h"
#include "fiber/FiberEnums.h"
#include "fiber/FiberLimitTypes.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// Breakdown of a length-based loss budget, shown to the user. Not stored.
struct LossBudgetParts {
    ScaledInt connectorLoss;
    ScaledInt spliceLoss;
    ScaledInt fiberLoss;
    ScaledInt testRefConnectorLoss;
    uint32_t connectorCount = 0;
    ScaledInt connectorLossLimit;
    ScaledInt spliceLossLimit;
    ScaledInt attenuationCoefLimit;
    ScaledInt totalLossBudget;
};

// Limit values of one wavelength for a set of fiber categories. Nested: a leading version byte.
class FiberLimitValues : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 4;
    static constexpr uint32_t kMinWireSize = 1 + 2 + 1 + 1;

    FiberLimitValues() = default;
    explicit FiberLimitValues(uint16_t wl) : wavelength(wl) {}

    bool operator==(const FiberLimitValues& o) const;

    // The value of that type; NaN at ones when the type has no limit.
    ScaledInt getValue(FiberLimitValueType type) const;
    bool hasValue(FiberLimitValueType type) const { return values.count(type) != 0; }

    LossBudgetParts getOltsLengthBasedLossBudgetParts(unsigned connectors, unsigned splices, ScaledInt totalBudget,
                                                      FiberLLRefMethod method) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    uint16_t wavelength = 0;
    boost::container::flat_set<FiberCategory> supportedCategories;
    boost::container::flat_map<FiberLimitValueType, ScaledInt> values;
};

}  // namespace Kestrix
