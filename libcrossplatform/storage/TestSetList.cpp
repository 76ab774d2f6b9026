#include "storage/TestSetList.h"

#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "storage/JsonFields.h"
#include "storage/ObjectList.h"

namespace Project {

using namespace Marshal;

TestSetList::TestSetList(const TestSetList& o) : nextUniqueID(o.nextUniqueID) {
    items.reserve(o.items.size());
    for (const auto& s : o.items) items.push_back(s->clone());
}

TestSetList& TestSetList::operator=(const TestSetList& o) {
    if (this != &o) {
        TestSetList copy(o);
        *this = std::move(copy);
    }
    return *this;
}

void TestSetList::serialize(IObjectWriter& w) const {
    writeObjectList(w, TypeIds::ProjectTestSetList, nextUniqueID, items);
}

StreamOpStatus TestSetList::deserialize(IObjectReader& r) {
    return readObjectList(r, TypeIds::ProjectTestSetList, nextUniqueID, items, create);
}

void TestSetList::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value TestSetList::toJson(const Dump::DumpFlags& flags) const {
    return objectListJson("TestSetList", nextUniqueID, items, flags);
}

bool TestSetList::fromJson(const Json::Value& json) {
    return objectListFromJson(json, "TestSetList", nextUniqueID, items, [](const Json::Value& v) {
        return v.isObject() && v.size() == 1 ? createByName(v.getMemberNames().front()) : nullptr;
    });
}

bool TestSetList::equals(const TestSetList& o) const {
    return objectListsEqual(nextUniqueID, items, o.nextUniqueID, o.items);
}

const TestSet* TestSetList::findById(int32_t id) const {
    for (const auto& s : items)
        if (s->id == id) return s.get();
    return nullptr;
}

}  // namespace Project
