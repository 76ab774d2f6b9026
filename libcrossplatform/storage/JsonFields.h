#pragma once
// Reading the members of a project class's JSON object; a missing or mistyped member is reported through
// the fromJson report helper (with the caller's position) and makes ok() false, and reading goes on.
#include <cstdint>
#include <source_location>
#include <string>

#include <json/value.h>

namespace Project {

class JsonFields {
public:
    using Loc = std::source_location;
    explicit JsonFields(const Json::Value& object) : _obj(object) {}

    void read(const char* key, uint32_t& out, Loc loc = Loc::current());
    void read(const char* key, int32_t& out, Loc loc = Loc::current());
    void read(const char* key, uint64_t& out, Loc loc = Loc::current());
    void read(const char* key, int64_t& out, Loc loc = Loc::current());
    void read(const char* key, std::string& out, Loc loc = Loc::current());

    bool ok() const { return _ok; }
    void fail(const char* key, Loc loc = Loc::current());

private:
    const Json::Value& _obj;
    bool _ok = true;
};

// The object member `name` of `json`, or null when `json` is not an object or has no such object member.
const Json::Value* objectMember(const Json::Value& json, const char* name);

}  // namespace Project
