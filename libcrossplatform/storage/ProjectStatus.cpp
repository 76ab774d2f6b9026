#include "storage/ProjectStatus.h"

#include "serialization/Header.h"
#include "storage/JsonFields.h"

namespace Project {

using namespace Marshal;

void Status::serialize(IObjectWriter& w) const {
    Header h(TypeIds::ProjectStatus);
    h.serialize(w);
    w.write(numTests);
    w.write(numPassedTests);
    w.write(numPassedStarTests);
    w.write(numFailedTests);
    w.write(numInfoOnlyTests);
    w.write(numUploadedResults);
    w.write(numResults);
    w.write(firstTestTimestamp);
    w.write(lastTestTimestamp);
    w.write(totalResultsSize);
    w.write(numTestsRun);
    w.write(lastSync);
    h.finishWrite(w);
}

StreamOpStatus Status::deserialize(IObjectReader& r) {
    Header h;
    if (auto st = h.begin(r, TypeIds::ProjectStatus)) return st;
    r.read(numTests);
    r.read(numPassedTests);
    r.read(numPassedStarTests);
    r.read(numFailedTests);
    r.read(numInfoOnlyTests);
    r.read(numUploadedResults);
    r.read(numResults);
    r.read(firstTestTimestamp);
    r.read(lastTestTimestamp);
    r.read(totalResultsSize);
    if (h.classVersion >= 2)
        r.read(numTestsRun);
    else  // unsigned: a corrupt sum wraps instead of overflowing
        numTestsRun = numPassedTests + numPassedStarTests + numFailedTests + numInfoOnlyTests;
    if (h.classVersion >= 3)
        r.read(lastSync);
    else
        lastSync = 0;
    return h.finishRead(r, r.failed() ? readError : ok);
}

Json::Value Status::toJson(const Dump::DumpFlags&) const {
    Json::Value o(Json::objectValue);
    o["numTests"] = numTests;
    o["numTestsRun"] = numTestsRun;
    o["numPassedTests"] = numPassedTests;
    o["numPassedStarTests"] = numPassedStarTests;
    o["numFailedTests"] = numFailedTests;
    o["numInfoOnlyTests"] = numInfoOnlyTests;
    o["numUploadedResults"] = numUploadedResults;
    o["numResults"] = numResults;
    o["totalResultsSize"] = Json::UInt64(totalResultsSize);
    o["firstTestTimestamp"] = Json::Int64(firstTestTimestamp);
    o["lastTestTimestamp"] = Json::Int64(lastTestTimestamp);
    o["lastSync"] = Json::Int64(lastSync);
    Json::Value root(Json::objectValue);
    root["Status"] = o;
    return root;
}

bool Status::operator==(const Status& o) const {
    return numTests == o.numTests && numTestsRun == o.numTestsRun && numPassedTests == o.numPassedTests &&
           numPassedStarTests == o.numPassedStarTests && numFailedTests == o.numFailedTests &&
           numInfoOnlyTests == o.numInfoOnlyTests && numUploadedResults == o.numUploadedResults &&
           numResults == o.numResults && totalResultsSize == o.totalResultsSize &&
           firstTestTimestamp == o.firstTestTimestamp && lastTestTimestamp == o.lastTestTimestamp &&
           lastSync == o.lastSync;
}

bool Status::fromJson(const Json::Value& json) {
    *this = Status{};
    const Json::Value* o = objectMember(json, "Status");
    if (!o) return false;
    JsonFields f(*o);
    f.read("numTests", numTests);
    f.read("numTestsRun", numTestsRun);
    f.read("numPassedTests", numPassedTests);
    f.read("numPassedStarTests", numPassedStarTests);
    f.read("numFailedTests", numFailedTests);
    f.read("numInfoOnlyTests", numInfoOnlyTests);
    f.read("numUploadedResults", numUploadedResults);
    f.read("numResults", numResults);
    f.read("totalResultsSize", totalResultsSize);
    f.read("firstTestTimestamp", firstTestTimestamp);
    f.read("lastTestTimestamp", lastTestTimestamp);
    f.read("lastSync", lastSync);
    return f.ok();
}

}  // namespace Project
