#include "fiber/FiberOtdrTest.h"

#include "fiber/FiberJsonUtil.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"

namespace Kestrix {

namespace {
void dumpMember(Dump::IFormatter& f, const char* name, const Dump::IDumpable& member, const Dump::DumpFlags& flags) {
    f.line(name);
    f.indent();
    member.dump(f, flags);
    f.unindent();
}

// The first seven members, shared by the whole test and its body.
void writeBodyFields(const FiberOtdrTest& t, Marshal::IObjectWriter& w) {
    t.summary.serialize(w);
    t.equipmentInfo.serialize(w);
    t.fiber.serialize(w);
    t.limit.serialize(w);
    t.settings.serialize(w);
    t.eventTable.serialize(w);
    t.overallResults.serialize(w);
}

Marshal::StreamOpStatus readBodyFields(FiberOtdrTest& t, Marshal::IObjectReader& r) {
    if (auto st = t.summary.deserialize(r)) return st;
    if (auto st = t.equipmentInfo.deserialize(r)) return st;
    if (auto st = t.fiber.deserialize(r)) return st;
    if (auto st = t.limit.deserialize(r)) return st;
    if (auto st = t.settings.deserialize(r)) return st;
    if (auto st = t.eventTable.deserialize(r)) return st;
    return t.overallResults.deserialize(r);
}

void clearBody(FiberOtdrTest& t) {
    t.summary.clear();
    t.equipmentInfo.clear();
    t.fiber.clear();
    t.limit.clear();
    t.settings.clear();
    t.eventTable.clear();
    t.overallResults = FiberOtdrOverallResults();
}
}  // namespace

bool FiberOtdrTest::getLimit(FiberLimit& out) const {
    if (limit.name.empty()) return false;
    out = limit;
    return true;
}

bool FiberOtdrTest::getFiber(Fiber& out) const {
    if (fiber.name.empty()) return false;
    out = fiber;
    return true;
}

void FiberOtdrTest::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberOtdrTest);
    h.serialize(w);
    writeBodyFields(*this, w);
    plots.serialize(w);
    rawData.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberOtdrTest::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberOtdrTest)) return st;
    clearBody(*this);
    plots = FiberOtdrPlots();
    rawData = FiberOtdrRawData();
    if (auto st = readBodyFields(*this, r)) return h.finishRead(r, st);
    if (auto st = plots.deserialize(r)) return h.finishRead(r, st);
    if (auto st = rawData.deserialize(r)) return h.finishRead(r, st);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberOtdrTest::serializeBody(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberOtdrTestBody);
    h.serialize(w);
    writeBodyFields(*this, w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberOtdrTest::deserializeBody(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberOtdrTestBody)) return st;
    clearBody(*this);
    if (auto st = readBodyFields(*this, r)) return h.finishRead(r, st);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberOtdrTest::dumpBody(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    dumpMember(f, "summary", summary, flags);
    dumpMember(f, "equipmentInfo", equipmentInfo, flags);
    dumpMember(f, "fiber", fiber, flags);
    dumpMember(f, "limit", limit, flags);
    dumpMember(f, "settings", settings, flags);
    dumpMember(f, "eventTable", eventTable, flags);
    dumpMember(f, "overallResults", overallResults, flags);
}

void FiberOtdrTest::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("class", "FiberOtdrTest");
    dumpBody(f, flags);
    dumpMember(f, "plots", plots, flags);
    dumpMember(f, "rawData", rawData, flags);
}

Json::Value FiberOtdrTest::bodyJson(const char* className, uint8_t classVersion, const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = className;
    j["_classVersion"] = classVersion;
    if (flags.detail == 0) return j;
    j["summary"] = summary.toJson(flags);
    j["equipmentInfo"] = equipmentInfo.toJson(flags);
    j["Fiber"] = FiberJson::body(fiber.toJson(flags), "Fiber");
    j["FiberLimit"] = FiberJson::body(limit.toJson(flags), "FiberLimit");
    j["FiberOtdrSettings"] = FiberJson::body(settings.toJson(flags), "FiberOtdrSettings");
    j["eventTable"] = eventTable.toJson(flags);
    j["overallResults"] = overallResults.toJson(flags);
    return j;
}

Json::Value FiberOtdrTest::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j = bodyJson("FiberOtdrTest", Marshal::TypeIds::FiberOtdrTest.version, flags);
    if (flags.detail == 0) return j;
    j["plots"] = plots.toJson(flags);
    j["rawData"] = rawData.toJson(flags);
    return j;
}

void FiberOtdrTestBody::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("class", "FiberOtdrTestBody");
    dumpBody(f, flags);
}

Json::Value FiberOtdrTestBody::toJson(const Dump::DumpFlags& flags) const {
    return bodyJson("FiberOtdrTestBody", Marshal::TypeIds::FiberOtdrTestBody.version, flags);
}

}  // namespace Kestrix
