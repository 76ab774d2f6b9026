#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include <json/value.h>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"
#include "storage/LabelSet.h"

namespace Project {

class LabelSetList : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    LabelSetList() = default;
    LabelSetList(const LabelSetList& o);
    LabelSetList& operator=(const LabelSetList& o);
    LabelSetList(LabelSetList&&) = default;
    LabelSetList& operator=(LabelSetList&&) = default;

    void serialize(Marshal::IObjectWriter& w) const override;
    // Elements are created by the type id of their header; any other id is invalid data and empties the list.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    bool fromJson(const Json::Value& json);
    bool equals(const LabelSetList& o) const;

    const LabelSet* findById(int32_t id) const;
    // An empty label set of the class stored under this packed type id, or null.
    static std::unique_ptr<LabelSet> create(uint32_t typeId);

    uint32_t nextUniqueID = 0;
    std::vector<std::unique_ptr<LabelSet>> items;
};

}  // namespace Project
