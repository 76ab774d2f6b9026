#include "storage/LabelSetList.h"

#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "storage/JsonFields.h"
#include "storage/ObjectList.h"

namespace Project {

using namespace Marshal;

LabelSetList::LabelSetList(const LabelSetList& o) : nextUniqueID(o.nextUniqueID) {
    items.reserve(o.items.size());
    for (const auto& s : o.items) items.push_back(s->clone());
}

LabelSetList& LabelSetList::operator=(const LabelSetList& o) {
    if (this != &o) {
        LabelSetList copy(o);
        *this = std::move(copy);
    }
    return *this;
}

std::unique_ptr<LabelSet> LabelSetList::create(uint32_t typeId) {
    if (typeId == TypeIds::ProjectSequentialLabelSet.id()) return std::make_unique<SequentialLabelSet>();
    if (typeId == TypeIds::ProjectAutoIncrementLabelSet.id()) return std::make_unique<AutoIncrementLabelSet>();
    if (typeId == TypeIds::ProjectRandomLabelSet.id()) return std::make_unique<RandomLabelSet>();
    return nullptr;
}

void LabelSetList::serialize(IObjectWriter& w) const { writeObjectList(w, TypeIds::ProjectLabelSetList, nextUniqueID, items); }

StreamOpStatus LabelSetList::deserialize(IObjectReader& r) { return readObjectList(r, TypeIds::ProjectLabelSetList, nextUniqueID, items, create); }

void LabelSetList::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value LabelSetList::toJson(const Dump::DumpFlags& flags) const {
    return objectListJson("LabelSetList", nextUniqueID, items, flags);
}

bool LabelSetList::fromJson(const Json::Value& json) {
    items.clear();
    nextUniqueID = 0;
    const Json::Value* o = objectMember(json, "LabelSetList");
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
        std::unique_ptr<LabelSet> set;
        if (objectMember(v, "SequentialLabelSet"))
            set = std::make_unique<SequentialLabelSet>();
        else if (objectMember(v, "RandomLabelSet"))
            set = std::make_unique<RandomLabelSet>();
        else if (objectMember(v, "AutoIncrementLabelSet"))
            set = std::make_unique<AutoIncrementLabelSet>();
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

bool LabelSetList::equals(const LabelSetList& o) const {
    if (nextUniqueID != o.nextUniqueID || items.size() != o.items.size()) return false;
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i]->equals(*o.items[i])) return false;
    return true;
}

const LabelSet* LabelSetList::findById(int32_t id) const {
    for (const auto& s : items)
        if (s->id == id) return s.get();
    return nullptr;
}

}  // namespace Project
