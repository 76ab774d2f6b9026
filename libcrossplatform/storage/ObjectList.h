#pragma once
// The framed list shape the test-set and label-set lists share: header, next unique id, uint16 count, then
// the elements, each a framed object whose type id picks its class.
#include <cstdint>
#include <memory>
#include <vector>

#include <json/value.h>

#include "serialization/CountedList.h"
#include "serialization/DumpFlags.h"
#include "serialization/Header.h"
#include "storage/JsonFields.h"

namespace Project {

template <typename T>
void writeObjectList(Marshal::IObjectWriter& w, const Marshal::TypeInfo& info, uint32_t nextUniqueID,
                     const std::vector<std::unique_ptr<T>>& items) {
    Marshal::Header h(info);
    h.serialize(w);
    w.write(nextUniqueID);
    const uint16_t count = Marshal::writeCount<uint16_t>(w, items.size());
    for (uint16_t i = 0; i < count; ++i) items[i]->serialize(w);
    h.finishWrite(w);
}

// `create(typeId)` gives the element of that type, or null for an id that is not one of the list's classes.
// On failure the list is left empty.
template <typename T, typename Create>
Marshal::StreamOpStatus readObjectList(Marshal::IObjectReader& r, const Marshal::TypeInfo& info, uint32_t& nextUniqueID,
                                       std::vector<std::unique_ptr<T>>& items, Create create) {
    using namespace Marshal;
    items.clear();
    Header h;
    if (auto st = h.begin(r, info)) return st;
    r.read(nextUniqueID);
    auto readItem = [&](IObjectReader& in) {
        uint32_t typeId = 0;
        auto st = peekTypeId(in, typeId);
        std::unique_ptr<T> item;
        if (st == ok) {
            // The whole id is compared, so an object of another family with a matching code is refused too.
            item = create(typeId);
            if (!item) st = invalidData;
        }
        if (st == ok) st = item->deserialize(in);
        if (st == ok && in.failed()) st = invalidData;
        if (st == ok) items.push_back(std::move(item));
        return st;
    };
    // Every element is a framed object of at least a header.
    if (auto st = readEach<uint16_t>(r, Header::kSize, readItem)) {
        items.clear();
        return st;
    }
    return h.finishRead(r, r.failed() ? readError : ok);
}

template <typename T>
Json::Value objectListJson(const char* name, uint32_t nextUniqueID, const std::vector<std::unique_ptr<T>>& items,
                           const Dump::DumpFlags& flags) {
    Json::Value o(Json::objectValue);
    o["nextUniqueID"] = nextUniqueID;
    o["size"] = static_cast<Json::UInt>(items.size());
    Json::Value arr(Json::arrayValue);
    for (const auto& s : items) arr.append(s->toJson(flags));
    o["items"] = arr;
    Json::Value root(Json::objectValue);
    root[name] = o;
    return root;
}

// Reads the JSON form back; `create(element)` gives the element for one array entry, or null when the entry
// names no class of the list. Unknown or malformed entries are reported and skipped, and make it false.
template <typename T, typename Create>
bool objectListFromJson(const Json::Value& json, const char* name, uint32_t& nextUniqueID,
                        std::vector<std::unique_ptr<T>>& items, Create create) {
    items.clear();
    nextUniqueID = 0;
    const Json::Value* o = objectMember(json, name);
    if (!o) return false;
    JsonFields f(*o);
    f.read("nextUniqueID", nextUniqueID);
    const Json::Value& arr = (*o)["items"];
    if (!arr.isArray()) {
        f.fail("items");
        return false;
    }
    bool good = true;
    for (const auto& v : arr) {
        std::unique_ptr<T> item = create(v);
        if (!item) {
            f.fail("items");
            good = false;
            continue;
        }
        good = item->fromJson(v) && good;
        items.push_back(std::move(item));
    }
    return f.ok() && good;
}

template <typename T>
bool objectListsEqual(uint32_t idA, const std::vector<std::unique_ptr<T>>& a, uint32_t idB,
                      const std::vector<std::unique_ptr<T>>& b) {
    if (idA != idB || a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!a[i]->equals(*b[i])) return false;
    return true;
}

}  // namespace Project
