#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <json/value.h>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Project {

// The next label to use for one label set, kind of result, kind of test and cable end.
class Cursor : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    bool fromJson(const Json::Value& json);
    std::unique_ptr<Cursor> clone() const { return std::make_unique<Cursor>(*this); }
    bool equals(const Cursor& o) const;

    int32_t labelSetID = -1;
    uint32_t resultType = 0;
    uint32_t testType = 0;
    uint32_t cableEnd = 0;
    std::string nextLabel;
};

class CursorList : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    CursorList() = default;
    CursorList(const CursorList& o);
    CursorList& operator=(const CursorList& o);
    CursorList(CursorList&&) = default;
    CursorList& operator=(CursorList&&) = default;

    void serialize(Marshal::IObjectWriter& w) const override;
    // A failing cursor empties the list.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    bool fromJson(const Json::Value& json);
    bool equals(const CursorList& o) const;

    // The first cursor matching all four, or null.
    const Cursor* find(int32_t labelSetID, uint32_t resultType, uint32_t testType, uint32_t cableEnd) const;

    std::vector<std::unique_ptr<Cursor>> items;
};

}  // namespace Project
