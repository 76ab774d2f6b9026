#pragma once
#include <cstdint>
#include <vector>

#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// The three fault-info classes share one type id; each is framed.
class FaultInfoCableElement : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    enum class Type : uint8_t { unknown = 0, connector = 1, segment = 2 };
    static constexpr uint32_t kMinWireSize = 12 + 14;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    Type type = Type::unknown;
    uint8_t id = 0;
    int32_t length = 0;
    int32_t location = 0;
    int32_t rank = 0;
};

class FaultInfoEvent : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    enum class Priority : uint8_t { unknown = 0, primary = 1, secondary = 2, inactive = 3 };
    static constexpr uint32_t kMinWireSize = 12 + 15;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    uint8_t type = 0;  // fault kind, see faultTypeText
    Priority priority = Priority::unknown;
    bool entireLink = false;
    int32_t location = 0;
    int32_t startLocation = 0;
    int32_t endLocation = 0;
};

// The tester's analysis of where a link fails.
class FaultInfoResult : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    void clear();

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    std::vector<FaultInfoCableElement> cableElements;
    std::vector<FaultInfoEvent> faults;
    int32_t totalLength = 0;
    uint8_t numConnectors = 0;
};

const char* toString(FaultInfoCableElement::Type t);
const char* toString(FaultInfoEvent::Priority p);
// "Unknown", "Length Over Limit", ... "Analyzer Error"; empty for other values.
const char* faultTypeText(uint8_t type);

}  // namespace Kestrix
