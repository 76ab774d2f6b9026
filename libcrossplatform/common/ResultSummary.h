#pragma once
#include <cstdint>
#include <string>

#include "common/DisplayMeas.h"
#include "common/Status.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// The first data section (200) of every result file.
class ResultSummary : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    ResultSummary() { clear(); }

    void clear();
    const std::string& getResultName() const { return resultName; }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::string resultName;
    ResultType resultType = ResultType::NOT_SET;
    int64_t timeStamp = 0;
    Status status = Status::notSet;
    DisplayMeas length;
    DisplayMeas headroom;
    uint32_t testFlags = 0;
    uint8_t numPassTests = 0;
    uint8_t numPassStarTests = 0;
    uint8_t numFailTests = 0;
};

}  // namespace Kestrix
