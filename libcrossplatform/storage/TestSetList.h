#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <json/value.h>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"
#include "storage/TestSet.h"

namespace Project {

class TestSetList : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    TestSetList() = default;
    TestSetList(const TestSetList& o);
    TestSetList& operator=(const TestSetList& o);
    TestSetList(TestSetList&&) = default;
    TestSetList& operator=(TestSetList&&) = default;

    void serialize(Marshal::IObjectWriter& w) const override;
    // Elements are created by the type id of their header; any other id is invalid data and empties the list.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    bool fromJson(const Json::Value& json);
    bool equals(const TestSetList& o) const;

    const TestSet* findById(int32_t id) const;

    // An empty test set of the class stored under this packed type id, or null.
    static std::unique_ptr<TestSet> create(uint32_t typeId);
    // An empty test set whose JSON member name is `className`, or null.
    static std::unique_ptr<TestSet> createByName(const std::string& className);

    uint32_t nextUniqueID = 0;
    std::vector<std::unique_ptr<TestSet>> items;
};

}  // namespace Project
