#pragma once
// Frequency- and time-domain curves of a copper test: the measured plots as stored, and the plots derived
// from them after reading (ACR, ELFEXT, power sums ...).
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/ScaledInt.h"
#include "copper/CopperTypes.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

class CopperPlot : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 0;
    static constexpr uint8_t kEncodingPacked = 1;
    // version, type, end, pairs, scale, endIndex, encoding, sample count
    static constexpr uint32_t kMinWireSize = 1 + 2 + 4 + 4 + 1 + 4;

    CopperPlot() = default;
    CopperPlot(CopperTestType t, CableEnd e, WirePair src, WirePair rcv)
        : testType(t), cableEnd(e), srcPair(src), rcvPair(rcv) {}

    // No header: plots exist only inside CopperPlots.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    // Sample i in dB; the caller keeps i below the sample count.
    float getDbFromIndex(unsigned i) const { return static_cast<float>(data[i]) / 10.0f; }
    bool matches(CopperTestType t, CableEnd e, WirePair src, WirePair rcv) const {
        return testType == t && cableEnd == e && srcPair == src && rcvPair == rcv;
    }

    CopperTestType testType = CopperTestType::none;
    CableEnd cableEnd = CableEnd::notset;
    WirePair srcPair = WirePair::notset;
    WirePair rcvPair = WirePair::notset;
    ScaledInt::ScaledTo scaledTo = ScaledInt::tenths;
    uint32_t endIndex = 0;
    std::vector<int16_t> data;  // tenths of a dB on the frequency grid, or time-domain samples
};

using CopperPlotPtr = std::shared_ptr<CopperPlot>;

// Which pairs the outlet configuration uses, indexed by WirePair value.
struct UsedPairs {
    std::array<bool, 6> used{};
    bool operator()(WirePair p) const {
        const auto i = static_cast<int32_t>(p);
        return i >= 0 && i < static_cast<int32_t>(used.size()) && used[static_cast<size_t>(i)];
    }
    static UsedPairs all() {
        UsedPairs u;
        for (int i = 1; i <= 4; ++i) u.used[static_cast<size_t>(i)] = true;
        return u;
    }
};

class CopperPlots : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    CopperPlots() = default;
    // Deep copy: plots are shared pointers, and a copied test must not share its curves.
    CopperPlots(const CopperPlots& o);
    CopperPlots& operator=(const CopperPlots& o);

    void clear();

    // Writes only the measured plots; derived ones are made again after reading.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    bool hasCopperPlot(CopperTestType t, CableEnd e) const;
    bool findCopperPlot(CopperPlotPtr& out, CopperTestType t, CableEnd e, WirePair src, WirePair rcv) const;
    // The plot itself or null.
    const CopperPlot* findPlot(CopperTestType t, CableEnd e, WirePair src, WirePair rcv) const;
    std::vector<CopperPlotPtr> plotsOfType(CopperTestType t) const;
    // Number of plots serialize() writes.
    uint32_t storedCount() const;

    // Adds the computed plots; runs once per read (guarded by derived()). acrMethod is the limit's
    // (0 normal, 1 4 MHz, 2 16 MHz).
    void deriveComputedPlots(int acrMethod, const UsedPairs& used);
    bool derived() const { return _derived; }

    static bool isStoredType(CopperTestType t);

    std::vector<CopperPlotPtr> plots;
    float nsPerSample = 0.0f;
    uint32_t zeroLengthIndex = 0;

private:
    bool _derived = false;
};

// T(d) of the power sum: round(100 * log10(1 + 10^(-d/100))) for 0 <= d < 200, else 0 (tenths of a dB).
int16_t powerSumCorrection(int32_t d);
// Power sum of up to three values in tenths of a dB (missing ones given as 9999).
int32_t powerSum3(int32_t a, int32_t b, int32_t c);

}  // namespace Kestrix
