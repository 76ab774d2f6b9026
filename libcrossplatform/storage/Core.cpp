#include "storage/Core.h"

#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "storage/CountedString.h"
#include "storage/JsonFields.h"
#include "storage/ProjectTrace.h"

namespace Project {

using namespace Marshal;

namespace {
// Kestrix::TestType "Loss Length": its cursors always belong to end 1.
constexpr uint32_t kLossLengthTestType = 13;

void mergeMembers(Json::Value& into, const Json::Value& from) {
    for (const auto& key : from.getMemberNames()) into[key] = from[key];
}

std::string tooLong(const char* field, size_t bytes, size_t most) {
    return std::string("the project's ") + field + " is " + std::to_string(bytes) + " bytes long; at most " +
           std::to_string(most) + " bytes can be stored";
}
}  // namespace

std::string Core::unwritableReason() const {
    const std::pair<const char*, const std::string*> counted[] = {{"name", &name},
                                                                  {"operatorName", &operatorName},
                                                                  {"parentQuarnId", &parentQuarnId},
                                                                  {"end1Name", &end1Name},
                                                                  {"end2Name", &end2Name}};
    for (const auto& [field, text] : counted)
        if (text->size() > kCoreMaxTextBytes) return tooLong(field, text->size(), kCoreMaxTextBytes);
    const std::pair<const char*, const std::string*> plain[] = {{"quarnId", &quarnId}, {"orgId", &orgId}};
    for (const auto& [field, text] : plain)
        if (text->size() > 0xFFFF) return tooLong(field, text->size(), 0xFFFF);
    return {};
}

void Core::serialize(IObjectWriter& w) const {
    Header h(TypeIds::ProjectCore);
    h.serialize(w);
    writeCountedString(w, name);
    writeCountedString(w, operatorName);
    writeCountedString(w, parentQuarnId);
    writeCountedString(w, end1Name);
    writeCountedString(w, end2Name);
    w.write(activeTestSet);
    w.write(activeLabelSet);
    w.write(cableEnd);
    status.serialize(w);
    cursors.serialize(w);
    testSets.serialize(w);
    labelSets.serialize(w);
    w.write(id);
    w.write(version);
    w.write(quarnId);
    w.write(orgId);
    h.finishWrite(w);
}

StreamOpStatus Core::deserialize(IObjectReader& r) {
    Header h;
    if (auto st = h.begin(r, TypeIds::ProjectCore)) return st;
    for (std::string* text : {&name, &operatorName, &parentQuarnId, &end1Name, &end2Name})
        if (auto st = readCountedString(r, *text, true)) return st;
    r.read(activeTestSet);
    r.read(activeLabelSet);
    r.read(cableEnd);
    if (r.failed()) return readError;
    if (auto st = status.deserialize(r)) return st;
    if (auto st = cursors.deserialize(r)) return st;
    if (auto st = testSets.deserialize(r)) return st;
    if (auto st = labelSets.deserialize(r)) return st;
    r.read(id);
    r.read(version);
    quarnId.clear();
    orgId.clear();
    if (h.classVersion >= 8) r.read(quarnId);
    if (h.classVersion >= 9) r.read(orgId);
    return h.finishRead(r, r.failed() ? readError : ok);
}

void Core::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value Core::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["name"] = name;
    o["quarnId"] = quarnId;
    o["operatorName"] = operatorName;
    o["parentQuarnId"] = parentQuarnId;
    o["orgId"] = orgId;
    o["activeTestSet"] = activeTestSet;
    o["activeLabelSet"] = activeLabelSet;
    o["cableEnd"] = cableEnd;
    o["end1Name"] = end1Name;
    o["end2Name"] = end2Name;
    mergeMembers(o, status.toJson(flags));
    mergeMembers(o, cursors.toJson(flags));
    mergeMembers(o, testSets.toJson(flags));
    mergeMembers(o, labelSets.toJson(flags));
    o["id"] = id;
    o["version"] = version;
    o["nextLabel"] = nextLabel();
    Json::Value root(Json::objectValue);
    root["Core"] = o;
    return root;
}

bool Core::fromJson(const Json::Value& json) {
    *this = Core{};
    const Json::Value* o = objectMember(json, "Core");
    if (!o) return false;
    JsonFields f(*o);
    f.read("name", name);
    f.read("quarnId", quarnId);
    f.read("operatorName", operatorName);
    f.read("parentQuarnId", parentQuarnId);
    f.read("orgId", orgId);
    f.read("activeTestSet", activeTestSet);
    f.read("activeLabelSet", activeLabelSet);
    f.read("cableEnd", cableEnd);
    f.read("end1Name", end1Name);
    f.read("end2Name", end2Name);
    f.read("id", id);
    f.read("version", version);
    bool good = f.ok();
    if (const std::string why = unwritableReason(); !why.empty()) {
        traceWarning("Project::Core::fromJson() - %s", why.c_str());
        good = false;
    }
    good = status.fromJson(*o) && good;
    good = cursors.fromJson(*o) && good;
    good = testSets.fromJson(*o) && good;
    good = labelSets.fromJson(*o) && good;
    return good;
}

bool Core::equals(const Core& o) const {
    return name == o.name && quarnId == o.quarnId && operatorName == o.operatorName &&
           parentQuarnId == o.parentQuarnId && orgId == o.orgId && activeTestSet == o.activeTestSet &&
           activeLabelSet == o.activeLabelSet && cableEnd == o.cableEnd && end1Name == o.end1Name &&
           end2Name == o.end2Name && status == o.status && cursors.equals(o.cursors) && testSets.equals(o.testSets) &&
           labelSets.equals(o.labelSets) && id == o.id && version == o.version;
}

std::string Core::nextLabel() const {
    if (activeLabelSet == -1 || activeTestSet == -1) return {};
    const TestSet* set = testSets.findById(activeTestSet);
    if (!set) return {};
    const uint32_t testType = set->testType();
    const uint32_t end = testType == kLossLengthTestType ? 1 : cableEnd;
    const auto resultType = static_cast<uint32_t>(set->resultType());
    if (const Cursor* c = cursors.find(activeLabelSet, resultType, testType, end)) return c->nextLabel;
    const LabelSet* labels = labelSets.findById(activeLabelSet);
    if (labels && labels->type == LabelSet::kAutoIncrementType) {
        if (const auto* a = dynamic_cast<const AutoIncrementLabelSet*>(labels)) return a->seed;
    }
    return {};
}

}  // namespace Project
