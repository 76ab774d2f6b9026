#pragma once
#include <cstdint>
#include <string>

#include "common/Settings.h"
#include "fiber/FiberEnums.h"
#include "fiber/FiberLimitTypes.h"
#include "fiber/FiberTestTypes.h"

namespace Kestrix {

enum class RemoteEndSetup : int32_t {
    notSet = 0,
    vexlinkDual = 1,
    vexlinkSingle = 2,
    loopback = 3,
    farEndSource = 4,
    scopel = 5,
};
enum class FarEndSourceType : int32_t { notSet = 0, cw = 1, autoLossmarkPro = 2, powrelPro = 3 };

// "Not Set" also for unknown values.
const char* toString(RemoteEndSetup s);
const char* toString(FarEndSourceType t);

// Setup of a loss/length test; also travels alone as a settings record.
class FiberLossLengthSettings : public Settings {
public:
    static constexpr int32_t kKind = 4;

    FiberLossLengthSettings() { clear(); }
    void clear();
    bool operator==(const FiberLossLengthSettings& o) const;

    int32_t kind() const override { return kKind; }
    bool fromJson(const Json::Value& json) override;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::string fiberName;
    std::string limitName;
    RemoteEndSetup remoteEndSetup = RemoteEndSetup::vexlinkDual;
    FarEndSourceType farEndSourceType = FarEndSourceType::notSet;
    CableEnd cableEnd = CableEnd::end1;
    FiberLLRefMethod referenceMethod = FiberLLRefMethod::oneJumper;
    FiberConnectorType connectorType = FiberConnectorType::general;
    bool biDirectionalEnabled = false;
    uint32_t numAdapters = 2;
    uint32_t numSplices = 0;
    uint32_t numLcConnectors = 0;
    uint32_t numLcLowLossConnectors = 0;
    uint32_t numLcUltraLowLossConnectors = 0;
    uint32_t numMpoConnectors = 0;
    uint32_t numMpoLowLossConnectors = 0;
    uint32_t numMpoUltraLowLossConnectors = 0;
    TestType fiberTestType = TestType::lossLength;
};

}  // namespace Kestrix
