#include "common/ResultSummary.h"

#include "common/jsonutil.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"

namespace Kestrix {

void ResultSummary::clear() {
    resultName.clear();
    resultType = ResultType::NOT_SET;
    timeStamp = 0;
    status = Status::notSet;
    length = DisplayMeas();
    headroom = DisplayMeas();
    testFlags = 0;
    numPassTests = numPassStarTests = numFailTests = 0;
}

void ResultSummary::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::ResultSummary);
    h.serialize(w);
    w.write(resultName);
    w.write(static_cast<uint8_t>(resultType));
    w.write(timeStamp);
    w.write(static_cast<uint8_t>(status));
    length.serialize(w);
    headroom.serialize(w);
    w.write(testFlags);
    w.write(numPassTests);
    w.write(numPassStarTests);
    w.write(numFailTests);
    h.finishWrite(w);
}

Marshal::StreamOpStatus ResultSummary::deserialize(Marshal::IObjectReader& r) {
    clear();
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::ResultSummary)) return st;
    if (!r.read(resultName)) return Marshal::readError;
    uint8_t type = 0, stat = 0;
    r.read(type);
    r.read(timeStamp);
    r.read(stat);
    resultType = static_cast<ResultType>(type);
    status = static_cast<Status>(stat);
    if (auto st = length.deserialize(r)) return st;
    if (auto st = headroom.deserialize(r)) return st;
    r.read(testFlags);
    r.read(numPassTests);
    r.read(numPassStarTests);
    r.read(numFailTests);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

// The styled JSON at the requested detail, so a level-2 dump shows the whole summary, not just its name.
void ResultSummary::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.line(Dump::toJsonString(*this, flags, false));
}

Json::Value ResultSummary::toJson(const Dump::DumpFlags& flags) const {
    Json::Value body(Json::objectValue);
    body["resultName"] = resultName;
    if (flags.detail >= 2) {
        body["resultType"] = toString(resultType);
        body["timeStamp"] = JsonUtil::ctimeText(timeStamp);
        body["status"] = toString(status);
        body["length"] = length.toString();
        body["headroom"] = headroom.toString();
        body["testFlags"] = testFlags;
        body["numPassTests"] = numPassTests;
        body["numPassStarTests"] = numPassStarTests;
        body["numFailTests"] = numFailTests;
    }
    Json::Value j(Json::objectValue);
    j["ResultSummary"] = body;
    return j;
}

}  // namespace Kestrix
