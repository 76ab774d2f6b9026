#include "storage/Cursor.h"

#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "storage/CountedString.h"
#include "storage/JsonFields.h"

namespace Project {

using namespace Marshal;

void Cursor::serialize(IObjectWriter& w) const {
    Header h(TypeIds::ProjectCursor);
    h.serialize(w);
    w.write(labelSetID);
    w.write(resultType);
    w.write(testType);
    w.write(cableEnd);
    writeCountedString(w, nextLabel);
    h.finishWrite(w);
}

StreamOpStatus Cursor::deserialize(IObjectReader& r) {
    Header h;
    if (auto st = h.begin(r, TypeIds::ProjectCursor)) return st;
    r.read(labelSetID);
    r.read(resultType);
    r.read(testType);
    r.read(cableEnd);
    if (auto st = readCountedString(r, nextLabel)) return st;
    return h.finishRead(r, r.failed() ? readError : ok);
}

void Cursor::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value Cursor::toJson(const Dump::DumpFlags&) const {
    Json::Value o(Json::objectValue);
    o["labelSetID"] = labelSetID;
    o["resultType"] = resultType;
    o["testType"] = testType;
    o["cableEnd"] = cableEnd;
    o["nextLabel"] = nextLabel;
    Json::Value root(Json::objectValue);
    root["Cursor"] = o;
    return root;
}

bool Cursor::fromJson(const Json::Value& json) {
    *this = Cursor{};
    const Json::Value* o = objectMember(json, "Cursor");
    if (!o) return false;
    JsonFields f(*o);
    f.read("labelSetID", labelSetID);
    f.read("resultType", resultType);
    f.read("testType", testType);
    f.read("cableEnd", cableEnd);
    f.read("nextLabel", nextLabel);
    return f.ok();
}

bool Cursor::equals(const Cursor& o) const {
    return labelSetID == o.labelSetID && resultType == o.resultType && testType == o.testType &&
           cableEnd == o.cableEnd && nextLabel == o.nextLabel;
}

CursorList::CursorList(const CursorList& o) {
    items.reserve(o.items.size());
    for (const auto& c : o.items) items.push_back(c->clone());
}

CursorList& CursorList::operator=(const CursorList& o) {
    if (this != &o) {
        CursorList copy(o);
        items = std::move(copy.items);
    }
    return *this;
}

void CursorList::serialize(IObjectWriter& w) const {
    Header h(TypeIds::ProjectCursorList);
    h.serialize(w);
    const uint16_t count = writeCount<uint16_t>(w, items.size());
    for (uint16_t i = 0; i < count; ++i) items[i]->serialize(w);
    h.finishWrite(w);
}

StreamOpStatus CursorList::deserialize(IObjectReader& r) {
    items.clear();
    Header h;
    if (auto st = h.begin(r, TypeIds::ProjectCursorList)) return st;
    auto readCursor = [this](IObjectReader& in) {
        auto c = std::make_unique<Cursor>();
        if (auto st = c->deserialize(in)) return st;
        items.push_back(std::move(c));
        return ok;
    };
    // Every cursor is a framed object of at least a header.
    if (auto st = readEach<uint16_t>(r, Header::kSize, readCursor)) {
        items.clear();
        return st;
    }
    return h.finishRead(r, r.failed() ? readError : ok);
}

void CursorList::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CursorList::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["size"] = static_cast<Json::UInt>(items.size());
    Json::Value arr(Json::arrayValue);
    for (const auto& c : items) arr.append(c->toJson(flags));
    o["items"] = arr;
    Json::Value root(Json::objectValue);
    root["CursorList"] = o;
    return root;
}

bool CursorList::fromJson(const Json::Value& json) {
    items.clear();
    const Json::Value* o = objectMember(json, "CursorList");
    if (!o) return false;
    const Json::Value& arr = (*o)["items"];
    if (!arr.isArray()) {
        JsonFields(*o).fail("items");
        return false;
    }
    bool good = true;
    for (const auto& v : arr) {
        auto c = std::make_unique<Cursor>();
        good = c->fromJson(v) && good;
        items.push_back(std::move(c));
    }
    return good;
}

bool CursorList::equals(const CursorList& o) const {
    if (items.size() != o.items.size()) return false;
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i]->equals(*o.items[i])) return false;
    return true;
}

const Cursor* CursorList::find(int32_t labelSetID, uint32_t resultType, uint32_t testType, uint32_t cableEnd) const {
    for (const auto& c : items)
        if (c->labelSetID == labelSetID && c->resultType == resultType && c->testType == testType &&
            c->cableEnd == cableEnd)
            return c.get();
    return nullptr;
}

}  // namespace Project
