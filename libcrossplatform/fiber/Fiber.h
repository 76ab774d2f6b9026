#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/DatabasePackageManifest.h"
#include "common/ScaledInt.h"
#include "fiber/FiberEnums.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// Optical constants of a fiber at one wavelength. Nested: a leading version byte, no header.
class FiberPerWl : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 2;
    // Version byte, wavelength, 4-byte ir (version 1), modal bandwidth, ScaledInt.
    static constexpr uint32_t kMinWireSize = 1 + 2 + 4 + 2 + ScaledInt::kWireSize;

    FiberPerWl() = default;
    explicit FiberPerWl(uint32_t wl) : wavelength(wl) {}

    bool operator==(const FiberPerWl& o) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    uint32_t wavelength = 0;
    double ir = 0.0;
    uint32_t modalBandwidth = 0;
    ScaledInt backscatterCoef;
};

// The optical fiber of a cable: name, category, core, mode and per-wavelength constants.
class Fiber : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    Fiber() { clear(); }
    Fiber(std::string name, FiberCategory category, ScaledInt coreSize, FiberMode mode,
          const DatabasePackageManifestSummary& summary);

    void clear();
    bool operator==(const Fiber& o) const;

    // First entry of that wavelength, or null.
    const FiberPerWl* getFiberPerWl(int wavelength) const;
    FiberPerWl* getFiberPerWl(int wavelength);
    // The entry of that wavelength, appended when missing. Keyed on the stored 16 bits, so a wider value
    // cannot alias another wavelength after a round trip.
    FiberPerWl& perWlFor(uint16_t wavelength);

    FiberCoreSize getNominalCoreSize() const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    FiberCategory category = FiberCategory::none;
    ScaledInt coreSize;
    DatabasePackageManifestSummary summary;
    std::string name;
    FiberMode fiberMode = FiberMode::multimode;
    std::vector<FiberPerWl> perWls;
};

}  // namespace Kestrix
