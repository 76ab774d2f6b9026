#pragma once
#include <cstdint>
#include <vector>

#include "common/DisplayMeas.h"
#include "common/ScaledInt.h"
#include "common/Status.h"
#include "fiber/FiberLimitTypes.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

// Outcome of checking one measured value against one limit value. Nested: a leading version byte.
class FiberCheckLimitResult : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 1;
    // Version, type, ScaledInt, DisplayMeas, status.
    static constexpr uint32_t kWireSize = 1 + 1 + ScaledInt::kWireSize + 8 + 1;

    FiberCheckLimitResult() = default;
    FiberCheckLimitResult(FiberLimitValueType t, ScaledInt limit, DisplayMeas m, Status s)
        : limitValueType(t), limitValue(limit), margin(m), status(s) {}

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    FiberLimitValueType limitValueType = FiberLimitValueType::maxLength;
    ScaledInt limitValue;
    DisplayMeas margin;
    Status status = Status::notSet;
};

// Check results of a test or event, in the order they were made.
class FiberLimitResultList : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    // First result of that type, or null.
    const FiberCheckLimitResult* get(FiberLimitValueType type) const;
    FiberCheckLimitResult* get(FiberLimitValueType type);

    bool empty() const { return results.empty(); }
    size_t size() const { return results.size(); }

    // Count (1 byte), then each result.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // Array of the results' JSON.
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<FiberCheckLimitResult> results;
};

// JSON of an optional result: the result's JSON, or null.
Json::Value toJson(const FiberCheckLimitResult* result, const Dump::DumpFlags& flags);

}  // namespace Kestrix
