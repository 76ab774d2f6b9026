#pragma once
#include <cstdint>
#include <vector>

#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// One failing element of a diagnostic event. No object header of its own.
class DiagFailure : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    enum class Type : uint8_t { acmap = 0, acmapTooManyFailures = 1 };
    static constexpr uint8_t kVersion = 0;
    static constexpr uint32_t kMinWireSize = 8;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    Type type = Type::acmap;
    uint8_t dfPinPair1 = 0;
    uint8_t dfPinPair2 = 0;
    int32_t value = 0;
};

// Where along the link a failure lies. No object header of its own.
class DiagEvent : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    enum class FailureType : uint8_t { connector = 0, badRegion = 1, badPoint = 2, wholeLink = 3, other = 4 };
    static constexpr uint8_t kVersion = 0;
    static constexpr uint32_t kMinWireSize = 14;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    FailureType failureType = FailureType::connector;
    float begin = 0.0f;
    float end = 0.0f;
    std::vector<DiagFailure> failures;
};

// Diagnostics of a failed link.
class DiagRes : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    void clear() { events.clear(); }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<DiagEvent> events;
};

const char* toString(DiagFailure::Type t);
const char* toString(DiagEvent::FailureType t);
// "pair 1" .. "pair combo 43"; empty for unknown elements.
const char* diagElementText(uint8_t element);

}  // namespace Kestrix
