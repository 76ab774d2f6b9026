#include "fiber/FiberTestSummary.h"

#include "common/jsonutil.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"

namespace Kestrix {

bool FiberTestSummary::operator==(const FiberTestSummary& o) const {
    return testType == o.testType && status == o.status && timestamp == o.timestamp && cableEnd == o.cableEnd &&
           operatorName == o.operatorName && end1Name == o.end1Name && end2Name == o.end2Name && comment == o.comment;
}

void FiberTestSummary::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberTestSummary);
    h.serialize(w);
    w.write(static_cast<uint32_t>(testType));
    w.write(static_cast<uint8_t>(status));
    w.write(timestamp);
    w.write(static_cast<uint8_t>(cableEnd));
    w.write(operatorName);
    w.write(end1Name);
    w.write(end2Name);
    w.write(comment);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberTestSummary::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberTestSummary)) return st;
    clear();
    uint32_t type = 0;
    uint8_t st = 0;
    uint8_t end = 0;
    r.read(type);
    r.read(st);
    r.read(timestamp);
    r.read(end);
    r.read(operatorName);
    r.read(end1Name);
    r.read(end2Name);
    r.read(comment);
    testType = static_cast<FiberTestType>(type);
    status = static_cast<Status>(st);
    cableEnd = static_cast<CableEnd>(end);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberTestSummary::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.write("class", "FiberTestSummary");
    f.write("testType", toString(testType));
    f.write("status", toString(status));
    f.write("timestamp", JsonUtil::formatTime(timestamp));
    f.write("cableEnd", static_cast<int32_t>(cableEnd));
    f.write("operatorName", operatorName);
    f.write("end1Name", end1Name);
    f.write("end2Name", end2Name);
    f.write("comment", comment);
}

Json::Value FiberTestSummary::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberTestSummary";
    j["_classVersion"] = Marshal::TypeIds::FiberTestSummary.version;
    if (flags.detail == 0) return j;
    j["testType"] = toString(testType);
    j["status"] = toString(status);
    j["timestamp"] = JsonUtil::formatTime(timestamp);
    j["cableEnd"] = static_cast<int32_t>(cableEnd);
    j["operatorName"] = operatorName;
    j["end1Name"] = end1Name;
    j["end2Name"] = end2Name;
    j["comment"] = comment;
    return j;
}

}  // namespace Kestrix
