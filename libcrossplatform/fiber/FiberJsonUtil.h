#pragma once
// JSON helpers shared by the fiber classes (internal).
#include <json/value.h>

namespace Kestrix::FiberJson {

// The body of a part's JSON: its member `name` when the part wraps itself under its class name, else the value.
inline Json::Value body(const Json::Value& j, const char* name) {
    if (j.isObject() && j.isMember(name)) return j[name];
    return j;
}

// Wraps `j` under the class name, the JSON form of most model classes.
inline Json::Value wrap(const char* name, Json::Value j) {
    Json::Value out(Json::objectValue);
    out[name] = std::move(j);
    return out;
}

}  // namespace Kestrix::FiberJson
