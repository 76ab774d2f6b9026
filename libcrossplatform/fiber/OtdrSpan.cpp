#include "fiber/OtdrSpan.h"

#include "common/jsonutil.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"

// Missing members are reported under the settings source name.
#define JSON_FAILED(member) ::Kestrix::JsonUtil::fromJsonFailed("fiber\\FiberOtdrSettings", __LINE__, member)

namespace FibDbus {

namespace {
bool sameValue(const Kestrix::ScaledInt& a, const Kestrix::ScaledInt& b) {
    return a.value == b.value && a.scaledTo == b.scaledTo;
}
}  // namespace

bool OtdrSpan::operator==(const OtdrSpan& o) const {
    return sameValue(spanStart, o.spanStart) && sameValue(spanEnd, o.spanEnd);
}

void OtdrSpan::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::OtdrSpan);
    h.serialize(w);
    spanStart.serialize(w);
    spanEnd.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus OtdrSpan::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::OtdrSpan)) return st;
    *this = OtdrSpan();
    if (auto st = spanStart.deserialize(r)) return st;
    if (auto st = spanEnd.deserialize(r)) return st;
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void OtdrSpan::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.write("class", "OtdrSpan");
    f.write("spanStart", spanStart.toString());
    f.write("spanEnd", spanEnd.toString());
}

Json::Value OtdrSpan::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "OtdrSpan";
    j["_classVersion"] = Marshal::TypeIds::OtdrSpan.version;
    if (flags.detail > 0) {
        j["spanStart"] = spanStart.toString();
        j["spanEnd"] = spanEnd.toString();
    }
    Json::Value out(Json::objectValue);
    out["OtdrSpan"] = j;
    return out;
}

bool OtdrSpan::fromJson(const Json::Value& inner) {
    *this = OtdrSpan();
    bool ok = true;
    auto readValue = [&](const char* key, Kestrix::ScaledInt& v) {
        auto text = Kestrix::JsonUtil::optString(inner, key);
        if (!text || !v.parse(*text)) {
            JSON_FAILED(key);
            ok = false;
        }
    };
    readValue("spanStart", spanStart);
    readValue("spanEnd", spanEnd);
    return ok;
}

}  // namespace FibDbus
