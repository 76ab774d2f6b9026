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

void LabelSetList::serialize(IObjectWriter& w) const {
    writeObjectList(w, TypeIds::ProjectLabelSetList, nextUniqueID, items);
}

StreamOpStatus LabelSetList::deserialize(IObjectReader& r) {
    return readObjectList(r, TypeIds::ProjectLabelSetList, nextUniqueID, items, create);
}

void LabelSetList::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value LabelSetList::toJson(const Dump::DumpFlags& flags) const {
    return objectListJson("LabelSetList", nextUniqueID, items, flags);
}

bool LabelSetList::fromJson(const Json::Value& json) {
    return objectListFromJson(json, "LabelSetList", nextUniqueID, items,
                              [](const Json::Value& v) -> std::unique_ptr<LabelSet> {
                                  if (objectMember(v, "SequentialLabelSet"))
                                      return std::make_unique<SequentialLabelSet>();
                                  if (objectMember(v, "RandomLabelSet")) return std::make_unique<RandomLabelSet>();
                                  if (objectMember(v, "AutoIncrementLabelSet"))
                                      return std::make_unique<AutoIncrementLabelSet>();
                                  return nullptr;
                              });
}

bool LabelSetList::equals(const LabelSetList& o) const {
    return objectListsEqual(nextUniqueID, items, o.nextUniqueID, o.items);
}

const LabelSet* LabelSetList::findById(int32_t id) const {
    for (const auto& s : items)
        if (s->id == id) return s.get();
    return nullptr;
}

}  // namespace Project
