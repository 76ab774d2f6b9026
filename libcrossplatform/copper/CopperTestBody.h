#pragma once
// The stored fields of one copper certification run (everything but its curves).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/EquipmentInformation.h"
#include "common/Status.h"
#include "copper/CopperCable.h"
#include "copper/CopperFreqList.h"
#include "copper/CopperOutletConfig.h"
#include "copper/CopperScalar.h"
#include "copper/CopperSettings.h"
#include "copper/DiagRes.h"
#include "copper/FaultInfo.h"
#include "copper/Wiremap.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

class CopperLimit;

class CopperTestBody : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    CopperTestBody() { reset(); }
    // Deep copy: the copy gets its own limit.
    CopperTestBody(const CopperTestBody& o);
    CopperTestBody& operator=(const CopperTestBody& o);
    ~CopperTestBody() override;

    void reset();

    // Shares its type id with CopperTest.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    CopperTestType copperTestType = CopperTestType::none;
    Status status = Status::notSet;
    int64_t timestamp = 0;
    bool retest = false;
    std::string operatorName;
    CopperSettings settings;
    EquipmentInformation mainEquipInfo;
    EquipmentInformation remoteEquipInfo;
    CopperCable cable;
    std::shared_ptr<CopperLimit> limit;  // may be empty
    CopperOutletConfig outletConfig;
    FaultInfoResult faultInfo;
    Wiremap wiremap;
    std::vector<CopperScalar> scalars;
    CopperFreqList copperfreqs;
    DiagRes diagRes;
    bool useDiagRes = false;
    float mainTemp = 0.0f;
    int16_t reserved = 0;  // carried unchanged
    float remoteTemp = 0.0f;
};

}  // namespace Kestrix
