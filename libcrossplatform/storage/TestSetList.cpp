#include "storage/TestSetList.h"

#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "storage/JsonFields.h"
#include "storage/ListRead.h"

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
    Header h(TypeIds::ProjectTestSetList);
    h.serialize(w);
    w.write(nextUniqueID);
    const uint16_t count = listCount(items.size());
    w.write(count);
    for (uint16_t i = 0; i < count; ++i) items[i]->serialize(w);
    h.finishWrite(w);
}

StreamOpStatus TestSetList::deserialize(IObjectReader& r) {
    items.clear();
    Header h;
    if (auto st = h.begin(r, TypeIds::ProjectTestSetList)) return st;
    r.read(nextUniqueID);
    uint16_t count = 0;
    r.read(count);
    if (r.failed() || !countFits(r, count)) return readError;
    for (uint16_t i = 0; i < count; ++i) {
        uint32_t typeId = 0;
        auto st = peekTypeId(r, typeId);
        std::unique_ptr<TestSet> set;
        if (st == ok) {
            // The whole id is compared, so an object of another family with a matching code is refused too.
            set = create(typeId);
            if (!set) st = invalidData;
        }
        if (st == ok) st = set->deserialize(r);
        if (st == ok && r.failed()) st = invalidData;
        if (st != ok) {
            items.clear();
            return st;
        }
        items.push_back(std::move(set));
    }
    return h.finishRead(r, r.failed() ? readError : ok);
}

void TestSetList::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value TestSetList::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["nextUniqueID"] = nextUniqueID;
    o["size"] = static_cast<Json::UInt>(items.size());
    Json::Value arr(Json::arrayValue);
    for (const auto& s : items) arr.append(s->toJson(flags));
    o["items"] = arr;
    Json::Value root(Json::objectValue);
    root["TestSetList"] = o;
    return root;
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
