#pragma once
#include <cstdint>
#include <limits>

#include "common/DisplayMeas.h"
#include "common/ScaledInt.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// Optical power: the measured dBm and its display values in dBm and watts. Nested without a version byte.
class FiberPower : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    // 1 (or less) milliwatts; each step above divides the unit by 1000.
    enum WattUnits : uint8_t { milliwatts = 1, microwatts = 2, nanowatts = 3 };
    static constexpr uint32_t kWireSize = 4 + 1 + 1 + 1;

    FiberPower() = default;
    FiberPower(float dBm, ScaledInt::ScaledTo dBmResolution, uint8_t units, ScaledInt::ScaledTo wattResolution);

    // (sic) the tester's name for it.
    DisplayType diplayType() const;
    const ScaledInt& dBm() const { return dBmDisplay; }
    // Computed from the dBm value on first use and cached.
    const ScaledInt& watts() const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    float dBmValue = std::numeric_limits<float>::quiet_NaN();
    ScaledInt dBmDisplay;
    uint8_t wattUnits = milliwatts;

private:
    mutable ScaledInt _watts;
};

}  // namespace Kestrix
