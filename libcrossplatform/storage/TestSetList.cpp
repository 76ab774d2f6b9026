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

void TestSetList::serialize(IObjectWriter& w) const { writeObjectList(w, TypeIds::ProjectTestSetList, nextUniqueID, items); }

StreamOpStatus TestSetList::deserialize(IObjectReader& r) { return readObjectList(r, TypeIds::ProjectTestSetList, nextUniqueID, items, create); }

void TestSetList::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value TestSetList::toJson(const Dump::DumpFlags& flags) const {
    return objectListJson("TestSetList", nextUniqueID, items, flags);
}

bool TestSetList::fromJson(const Json::Value& json) {
    items.clear();
    nextUniqueID = 0;
    const Json::Value* o = objectMember(json, "TestSetList");
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
        std::unique_ptr<TestSet> set;
        if (v.isObject() && v.size() == 1) set = createByName(v.getMemberNames().front());
        if (!set) {
            f.fail("items");
            good = false;
            continue;
        }
        good = set->fromJson(v) && good;
        items.push_back(std::move(set));
    }
    return f.ok() && good;
}

bool TestSetList::equals(const TestSetList& o) const {
    if (nextUniqueID != o.nextUniqueID || items.size() != o.items.size()) return false;
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i]->equals(*o.items[i])) return false;
    return true;
}

const TestSet* TestSetList::findById(int32_t id) const {
    for (const auto& s : items)
        if (s->id == id) return s.get();
    return nullptr;
}

}  // namespace Project
