#pragma once
#include <cstdint>
#include <string>

#include "common/Status.h"
#include "fiber/FiberTestTypes.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// Which fiber test this is, its outcome, when and from which end it was made. First member of every test.
class FiberTestSummary : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    FiberTestSummary() = default;
    explicit FiberTestSummary(FiberTestType type) : testType(type) {}

    void clear() { *this = FiberTestSummary(); }
    bool operator==(const FiberTestSummary& o) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    FiberTestType testType = FiberTestType::notSet;
    Status status = Status::notSet;
    int64_t timestamp = 0;
    CableEnd cableEnd = CableEnd::notSet;
    std::string operatorName;
    std::string end1Name;
    std::string end2Name;
    std::string comment;
};

}  // namespace Kestrix
