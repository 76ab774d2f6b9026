#pragma once
// The raw complex measurement data of a copper test.
#include <cstdint>
#include <memory>
#include <vector>

#include "copper/CopperTypes.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

class CopperRawDataPlot : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 0;
    // version, four enumerations, two counts
    static constexpr uint32_t kMinWireSize = 1 + 4 + 4 + 4;

    // No header: raw plots exist only inside CopperRawData.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    bool isComplex() const { return !imaginary.empty(); }

    CopperTestType testType = CopperTestType::none;
    CableEnd cableEnd = CableEnd::notset;
    WirePair srcPair = WirePair::notset;
    WirePair rcvPair = WirePair::notset;
    std::vector<float> real;
    std::vector<float> imaginary;  // may be empty
};

using CopperRawDataPlotPtr = std::shared_ptr<CopperRawDataPlot>;

class CopperRawData : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    CopperRawData() = default;
    // Deep copy, as for the plots.
    CopperRawData(const CopperRawData& o);
    CopperRawData& operator=(const CopperRawData& o);

    void clear() { plots.clear(); }
    bool empty() const { return plots.empty(); }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    std::vector<CopperRawDataPlotPtr> plots;
};

}  // namespace Kestrix
