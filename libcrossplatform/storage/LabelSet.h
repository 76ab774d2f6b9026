#pragma once
// Generators of cable identifiers (labels) of a project.
#include <cstdint>
#include <memory>
#include <string>

#include <json/value.h>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Project {

class LabelSet : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint32_t kAutoIncrementType = 2;

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // Number of labels.
    virtual uint32_t size() const = 0;
    // Reads the member named after the class; false when a key is missing.
    virtual bool fromJson(const Json::Value& json) = 0;
    virtual std::unique_ptr<LabelSet> clone() const = 0;
    // False unless `o` is of the same class.
    virtual bool equals(const LabelSet& o) const = 0;

    uint32_t type = 0;
    int32_t id = -1;
};

// A set of a known number of labels, each tested with the kinds of test in testTypeVec.
class BoundedLabelSet : public LabelSet {
public:
    // testTypeVec bits, as the test set type ids.
    static constexpr uint32_t kOtdrBit = 1, kCopperBit = 2, kLossLengthBit = 4, kImageBit = 8;
    // When set, bits 0 and 1 do not count as tests of their own.
    static constexpr uint32_t kCombinedBit = 1u << 28;

    uint32_t size() const override { return _size; }
    // size() times the kinds of test per label; 64 bits so that no stored value overflows it.
    virtual uint64_t numberOfTests() const;

    uint32_t _size = 0;
    uint32_t mediaType = 0;
    uint32_t testTypeVec = 0;

protected:
    void serializeBounded(Marshal::IObjectWriter& w) const;
    void readBounded(Marshal::IObjectReader& r);
    void boundedJson(Json::Value& o) const;
    bool boundedFromJson(const Json::Value& o);
    bool boundedEquals(const BoundedLabelSet& o) const;
};

class SequentialLabelSet final : public BoundedLabelSet {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    bool fromJson(const Json::Value& json) override;
    std::unique_ptr<LabelSet> clone() const override { return std::make_unique<SequentialLabelSet>(*this); }
    bool equals(const LabelSet& o) const override;

    std::string start;
    std::string stop;
};

class RandomLabelSet final : public BoundedLabelSet {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    bool fromJson(const Json::Value& json) override;
    std::unique_ptr<LabelSet> clone() const override { return std::make_unique<RandomLabelSet>(*this); }
    bool equals(const LabelSet& o) const override;

    std::string name;
    std::string fileName;
};

class AutoIncrementLabelSet final : public LabelSet {
public:
    AutoIncrementLabelSet() { type = kAutoIncrementType; }

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    bool fromJson(const Json::Value& json) override;
    std::unique_ptr<LabelSet> clone() const override { return std::make_unique<AutoIncrementLabelSet>(*this); }
    bool equals(const LabelSet& o) const override;
    uint32_t size() const override { return 1; }

    std::string seed;
    int32_t maxLength = 0;
};

}  // namespace Project
