#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <boost/container/flat_map.hpp>
#include <boost/container/flat_set.hpp>

#include "common/ScaledInt.h"
#include "common/Settings.h"
#include "fiber/FiberOtdrEnums.h"
#include "fiber/FiberTestTypes.h"
#include "fiber/OtdrSpan.h"

namespace Kestrix {

// What the instrument actually used at one wavelength. Nested inside the settings: a leading version byte.
class FiberOtdrSettingsPerWl : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 2;
    // Version, wavelength, three ScaledInts, three int32 (the current layout; older ones are longer).
    static constexpr uint32_t kMinWireSize = 1 + 2 + 3 * ScaledInt::kWireSize + 3 * 4;

    bool operator==(const FiberOtdrSettingsPerWl& o) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"FiberOtdrSettingsPerWl": {...}}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    // Reads what toJson() wrote; false when a member is missing.
    bool fromJson(const Json::Value& json);

    uint16_t wavelength = 0;
    ScaledInt actualOtdrRange;
    ScaledInt actualResolution;
    ScaledInt actualOtdrAveragingTime;
    int64_t otdrPulseWidth = 0;
    int64_t nominalOtdrPulseWidth = 0;
    int64_t numberOfAverages = 0;
};

// Setup of an OTDR test; stored in every OTDR test and exchanged alone as a settings record.
class FiberOtdrSettings : public Settings {
public:
    static constexpr int32_t kKind = 1;

    FiberOtdrSettings() { clear(); }

    void clear();
    bool operator==(const FiberOtdrSettings& o) const;

    // First entry of that wavelength, or null.
    const FiberOtdrSettingsPerWl* getSettingsPerWl(int wavelength) const;

    int32_t kind() const override { return kKind; }
    bool fromJson(const Json::Value& json) override;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"FiberOtdrSettings": {...}}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    boost::container::flat_set<uint16_t> wavelengthsToTest;
    TestType fiberTestType = TestType::notSet;
    OtdrRange otdrRange = OtdrRange::autoRange;
    OtdrAveragingTime otdrAveragingTime = OtdrAveragingTime::autoTime;
    AutoOrManual lossThresholdAutoOrManual = AutoOrManual::autoMode;
    ScaledInt nominalLossThreshold;
    AutoOrManual endThresholdAutoOrManual = AutoOrManual::autoMode;
    ScaledInt endThreshold;
    bool launchCompensationEnabled = false;
    uint32_t numConnectors = 0;
    uint32_t numSplices = 0;
    bool bidi = false;
    int32_t frontPanelOffset = 0;
    std::string fiberName;
    std::string fiberLimit;
    std::vector<FiberOtdrSettingsPerWl> perWl;
    int32_t reflectanceThreshold = 0;
    bool otdrBendDetectionEnabled = false;
    boost::container::flat_map<OtdrBendWavelengths, ScaledInt> otdrBendThresholdMap;
    std::vector<OtdrSplitterRatio> splitterEntries;
    FibDbus::OtdrSpan span;
};

}  // namespace Kestrix
