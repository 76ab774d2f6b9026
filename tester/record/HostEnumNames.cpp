#include "tester/record/HostEnumNames.h"

#include <climits>
#include <cstring>

#include "tester/host/HostRecord.h"
#include "tester/host/HostStatus.h"
#include "tester/host/Measurement.h"

namespace Kestrix::Tester {

namespace {

const char* kindName(int kind) {
    switch (static_cast<MeasKind>(kind)) {
        case MeasKind::Value: return "Value";
        case MeasKind::LowerLimit: return "LowerLimit";
        case MeasKind::UpperLimit: return "UpperLimit";
        case MeasKind::MarginLower: return "MarginLower";
        case MeasKind::MarginUpper: return "MarginUpper";
        case MeasKind::Frequency: return "Frequency";
    }
    return "Unknown";
}

const char* copperEndName(int end) { return end == 1 ? "main" : end == 2 ? "remote" : "none"; }

struct Named {
    const char* key;
    const char* (*name)(int);
};

const Named kNamed[] = {{"Status", hostStatusName},
                        {"StoredStatus", hostStatusName},
                        {"Media", hostMediaName},
                        {"Kind", kindName},
                        {"CopperEnd", copperEndName}};

}  // namespace

const char* hostStatusName(int status) {
    switch (status) {
        case kHostStatusFail: return "FAIL";
        case kHostStatusPassStar: return "PASS*";
        case kHostStatusPass: return "PASS";
        case kHostStatusPassAcceptable: return "PASS ACC.";
        default: return "NO VERDICT";
    }
}

const char* hostMediaName(int media) {
    switch (media) {
        case kMediaCopper: return "Copper";
        case kMediaFiber: return "Fiber";
        case kMediaCoax: return "Coax";
        default: return "Unknown";
    }
}

void nameEnumerations(Json::Value& j) {
    if (j.isArray()) {
        for (Json::Value& item : j) nameEnumerations(item);
        return;
    }
    if (!j.isObject()) return;
    for (const std::string& member : j.getMemberNames()) nameEnumerations(j[member]);
    for (const Named& n : kNamed) {
        const Json::Value* code = j.find(n.key, n.key + std::strlen(n.key));
        if (code != nullptr && code->isInt()) j[std::string(n.key) + "Name"] = n.name(code->asInt());
    }
}

void EnumNamingSink::named(int64_t code) {
    const auto namer = _namer;
    _namer = nullptr;
    if (!namer || code < INT_MIN || code > INT_MAX) return;
    _out.key(_key + "Name");
    _out.string(namer(static_cast<int>(code)));
}

void EnumNamingSink::beginObject() {
    _namer = nullptr;
    _out.beginObject();
}

void EnumNamingSink::endObject() { _out.endObject(); }

void EnumNamingSink::beginArray() {
    _namer = nullptr;
    _out.beginArray();
}

void EnumNamingSink::endArray() { _out.endArray(); }

void EnumNamingSink::key(std::string_view name) {
    _namer = nullptr;
    for (const Named& n : kNamed)
        if (name == n.key) {
            _namer = n.name;
            _key = name;
        }
    _out.key(name);
}

void EnumNamingSink::null() {
    _namer = nullptr;
    _out.null();
}

void EnumNamingSink::boolean(bool v) {
    _namer = nullptr;
    _out.boolean(v);
}

void EnumNamingSink::integer(int64_t v) {
    _out.integer(v);
    named(v);
}

void EnumNamingSink::unsignedInteger(uint64_t v) {
    _out.unsignedInteger(v);
    named(v > uint64_t(INT_MAX) ? int64_t(INT_MAX) + 1 : static_cast<int64_t>(v));
}

void EnumNamingSink::real(double v) {
    _namer = nullptr;
    _out.real(v);
}

void EnumNamingSink::string(std::string_view v) {
    _namer = nullptr;
    _out.string(v);
}

void EnumNamingSink::value(const Json::Value& v) {
    if (v.isInt()) {
        _out.value(v);
        named(v.asInt());
        return;
    }
    _namer = nullptr;
    if (!v.isObject() && !v.isArray()) {
        _out.value(v);
        return;
    }
    Json::Value named = v;
    nameEnumerations(named);
    _out.value(named);
}

}  // namespace Kestrix::Tester
