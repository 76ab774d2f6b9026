#pragma once
#include <cstdint>
#include <limits>
#include <vector>

#include "common/DisplayMeas.h"
#include "common/Status.h"
#include "common/ToleranceMeas.h"
#include "fiber/FiberCheckLimitResult.h"

namespace Kestrix {

// Warnings of an OTDR test (a 32-bit mask); the text of one bit value, empty for others.
const char* otdrWarningText(uint32_t value);
namespace OtdrWarning {
inline constexpr uint32_t noSignal = 4;
inline constexpr uint32_t noFiber = 16;
inline constexpr uint32_t weakSignal = 64;
inline constexpr uint32_t outOfRange = 256;
inline constexpr uint32_t noLaunch = 1024;
inline constexpr uint32_t noFut = 2048;
inline constexpr uint32_t noSplit = 4096;
inline constexpr uint32_t noLoopback = 8192;
inline constexpr uint32_t noTail = 16384;
inline constexpr uint32_t mismatchedEnds = 32768;
inline constexpr uint32_t poorConnection = 0x4000000;
}  // namespace OtdrWarning

enum class LaunchCompMode : uint8_t { dontKnow = 0, measured = 1, manual = 2 };
const char* toString(LaunchCompMode m);

// Connection quality grade (signed byte): named codes, then POOR / FAIR / GOOD by value.
const char* connQualityText(int8_t grade);

// Overall results of one wavelength. Nested: a leading version byte.
class FiberOtdrOverallResultsPerWl : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 1;
    static constexpr uint32_t kMinWireSize = 1 + 2 + 4 + 16 + 16 + 1;

    // "lengthBasedLossBudget" when present, else "maxOverallLoss", else null.
    const FiberCheckLimitResult* getMaxOverallLossCheckLimitResult() const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    uint16_t wavelength = 0;
    float actualWavelength = 0;
    ToleranceMeas overallLossTolMeas;
    ToleranceMeas overallOrlTolMeas;
    FiberLimitResultList limitResults;
};

// Length, overall loss and warnings of an OTDR test, with the per-wavelength results in ascending order.
class FiberOtdrOverallResults : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    // Entry of that wavelength, or null.
    const FiberOtdrOverallResultsPerWl* getOverallPerWl(int wavelength) const;
    // An index at the end is a programming error.
    const FiberOtdrOverallResultsPerWl& getOverallPerWlByIndex(unsigned index) const;
    size_t perWlCount() const { return _perWls.size(); }
    const std::vector<FiberOtdrOverallResultsPerWl>& perWls() const { return _perWls; }
    // Replaces the per-wavelength results, kept sorted by wavelength.
    void setPerWls(std::vector<FiberOtdrOverallResultsPerWl> perWls);

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    Status overallStatus = Status::notSet;
    ToleranceMeas lengthTolMeas;
    Status lengthStatus = Status::notSet;
    FiberLimitResultList limitResults;
    Status overallLossStatus = Status::notSet;
    DisplayMeas overallLossMeas;
    DisplayMeas headroom;
    int8_t connQuality = 0;
    uint32_t warningFlags = 0;
    uint32_t failWarningFlags = 0;
    float celsius = std::numeric_limits<float>::quiet_NaN();
    int64_t launchCompTimestamp = 0;
    LaunchCompMode launchCompModeUsed = LaunchCompMode::dontKnow;

private:
    std::vector<FiberOtdrOverallResultsPerWl> _perWls;
};

// Texts of the set bits of a warning mask, lowest bit first.
Json::Value otdrWarningTexts(uint32_t flags);

}  // namespace Kestrix
