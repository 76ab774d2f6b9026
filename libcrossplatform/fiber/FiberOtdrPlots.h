#pragma once
#include <cstdint>
#include <vector>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// One OTDR trace. Nested inside the plots: a leading version byte.
class FiberOtdrPlot : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 2;
    // Version, wavelength, two floats, a double, four int32, two floats, the sample count.
    static constexpr uint32_t kMinWireSize = 1 + 2 + 8 + 8 + 16 + 8 + 4;

    // Sample at min(i, count - 1) in dB, never below the noise floor. Needs at least one sample.
    float getDbByIndex(unsigned i) const;
    // Largest sample of [min(from, count - 1), min(to, count)) in dB; clipLevel when there is none.
    float getMaxDb(unsigned from, unsigned to) const;
    // Distance in metres of a (fractional) sample index.
    float getLength(float index) const;

    bool operator==(const FiberOtdrPlot& o) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    // One line of the plots table.
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // The samples themselves only at detail level 2.
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    uint16_t wavelength = 0;
    float zeroLengthIndex = 0;
    float nsPerSample = 1.0f;
    double ir = 1.0;
    int32_t dataPointsScale = 2000;
    uint32_t futLeftIndex = 0;
    uint32_t futRightIndex = 0;
    uint32_t rightPlotBoundaryIndex = 0;
    float clipLevel = 0;
    float noiseFloor = 0;
    std::vector<int32_t> dataPoints;
};

// The traces of an OTDR test, one per wavelength.
class FiberOtdrPlots : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    // Trace of that wavelength, or null.
    const FiberOtdrPlot* getPlot(int wavelength) const;
    // An index past the end is a programming error.
    const FiberOtdrPlot& getPlotByIndex(unsigned index) const;
    size_t plotCount() const { return plots.size(); }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<FiberOtdrPlot> plots;
};

// The instrument's raw acquisition block, kept unchanged.
class FiberOtdrRawData : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    uint32_t compressedLength() const { return static_cast<uint32_t>(bytes.size()); }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<uint8_t> bytes;
};

}  // namespace Kestrix
