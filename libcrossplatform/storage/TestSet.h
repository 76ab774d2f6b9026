#pragma once
// A test setup of a project, bound to a kind of tester module.
#include <cstdint>
#include <memory>

#include <json/value.h>

#include "common/Settings.h"
#include "common/Status.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"
#include "serialization/TypeIds.h"

namespace Project {

class TestSet : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    // Test set type ids (JSON "type"); also the bits of a label set's testTypeVec.
    static constexpr int32_t kOtdr = 1, kCopper = 2, kLossLength = 4, kImage = 8;

    // Header, id, modID, then the setup in its own framed form.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // The class's member holding "type", "id", "modID" and the setup's own member.
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    virtual int32_t typeId() const = 0;
    virtual bool isCustomCable() const = 0;
    virtual bool isCustomLimit() const = 0;
    virtual Kestrix::ResultType resultType() const = 0;
    // Kestrix::TestType of the tests run with this setup.
    virtual uint32_t testType() const = 0;
    // Brings the setup back to a consistent state after editing.
    virtual void normalise() = 0;
    // Takes the module id when the module is of the right kind.
    virtual bool acceptModule(uint32_t moduleId) = 0;
    // A "type" that differs from typeId() is traced, not refused; the result is the setup's own.
    virtual bool fromJson(const Json::Value& json);
    virtual std::unique_ptr<TestSet> clone() const = 0;
    // Same class, id, modID and setup.
    virtual bool equals(const TestSet& o) const;

    virtual const char* className() const = 0;
    virtual const Marshal::TypeInfo& typeInfo() const = 0;
    virtual Kestrix::Settings& setup() = 0;
    virtual const Kestrix::Settings& setup() const = 0;

    int32_t id = -1;
    uint32_t modID = 0;

protected:
    // Called after the setup was read, with the stored class version.
    virtual void afterRead(uint8_t /*classVersion*/) {}
};

}  // namespace Project
