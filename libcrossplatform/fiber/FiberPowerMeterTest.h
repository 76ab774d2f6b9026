#pragma once
#include <cstdint>
#include <limits>
#include <vector>

#include "common/Celsius.h"
#include "common/EquipmentInformation.h"
#include "fiber/FiberPower.h"
#include "fiber/FiberTest.h"

namespace Kestrix {

// Absolute power at one wavelength. Nested: a leading version byte.
class FiberPowerMeterPerWl : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 1;
    // Version 0: 16-bit wavelength, no range fields.
    static constexpr uint32_t kMinWireSize = 1 + 2 + 4 * FiberPower::kWireSize;

    // refPower - power, refPower - minPower, refPower - maxPower, at the subtracted power's resolution.
    ScaledInt dB() const;
    ScaledInt maxdB() const;
    ScaledInt mindB() const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    float wavelength = 0;
    FiberPower refPower;
    FiberPower power;
    FiberPower minPower;
    FiberPower maxPower;
    float _minRange = std::numeric_limits<float>::quiet_NaN();
    float _maxRange = std::numeric_limits<float>::quiet_NaN();
};

// Absolute received power per wavelength.
class FiberPowerMeterTest : public FiberTest {
public:
    explicit FiberPowerMeterTest(FiberTestType type = FiberTestType::powerMeterEnd1) : FiberTest(type) {}

    Kind testKind() const override { return Kind::powerMeter; }
    bool getLimit(FiberLimit&) const override { return false; }
    bool getFiber(Fiber&) const override { return false; }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    EquipmentInformation equipmentInfo;
    int8_t gain = 0;
    Celsius celsius;
    std::vector<FiberPowerMeterPerWl> testPerWlVec;
};

}  // namespace Kestrix
