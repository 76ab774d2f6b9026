#pragma once
#include <cstdint>
#include <limits>

#include "common/ToleranceMeas.h"
#include "fiber/FiberCheckLimitResult.h"
#include "fiber/FiberPower.h"
#include "fiber/FiberTestTypes.h"

namespace Kestrix {

enum class LightSourceType : uint8_t { none = 0, laser = 1, led = 2, vcsel = 3 };
const char* toString(LightSourceType t);

// One direction at one wavelength of a loss/length test. Nested: a leading version byte.
class FiberLossLengthTestPerDirectionWl : public Marshal::ISerializable,
                                          public Dump::IDumpable,
                                          public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 1;
    // Version 0: no range fields.
    static constexpr uint32_t kMinWireSize = 1 + 1 + 2 + 1 + 2 * FiberPower::kWireSize + 1;

    // Loss: reference power minus received power.
    ScaledInt dB() const { return refPower.dBmDisplay - power.dBmDisplay; }
    // The loss with two units of the last displayed digit as tolerance.
    ToleranceMeas lossTolMeas() const;
    const FiberCheckLimitResult* getMaxLossCheckLimitResult() const;
    const FiberCheckLimitResult* getMinLossCheckLimitResult() const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    CableEnd direction = CableEnd::end1;
    uint16_t wavelength = 0;
    LightSourceType lightSourceType = LightSourceType::none;
    FiberPower power;
    FiberPower refPower;
    FiberLimitResultList limitResults;
    float _minRange = std::numeric_limits<float>::quiet_NaN();
    float _maxRange = std::numeric_limits<float>::quiet_NaN();
};

}  // namespace Kestrix
