#include "tester/record/HostEnumNames.h"

#include <cstring>

#include "tester/host/HostRecord.h"
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
        case 0: return "FAIL";
        case 3: return "PASS*";
        case 4: return "PASS";
        case 7: return "PASS ACC.";
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

}  // namespace Kestrix::Tester
