#include "storage/JsonFields.h"

#include "common/jsonutil.h"

namespace Project {

using Kestrix::JsonUtil::fromJsonFailed;

void JsonFields::fail(const char* key, Loc loc) {
    fromJsonFailed(loc.file_name(), static_cast<int>(loc.line()), key);
    _ok = false;
}

void JsonFields::read(const char* key, uint32_t& out, Loc loc) {
    if (auto v = Kestrix::JsonUtil::optUInt(_obj, key))
        out = *v;
    else
        fail(key, loc);
}

void JsonFields::read(const char* key, int32_t& out, Loc loc) {
    if (auto v = Kestrix::JsonUtil::optInt(_obj, key))
        out = *v;
    else
        fail(key, loc);
}

void JsonFields::read(const char* key, uint64_t& out, Loc loc) {
    const Json::Value& v = _obj.isObject() ? _obj[key] : Json::Value::nullSingleton();
    if (v.isUInt64())
        out = v.asUInt64();
    else
        fail(key, loc);
}

void JsonFields::read(const char* key, int64_t& out, Loc loc) {
    const Json::Value& v = _obj.isObject() ? _obj[key] : Json::Value::nullSingleton();
    if (v.isInt64())
        out = v.asInt64();
    else
        fail(key, loc);
}

void JsonFields::read(const char* key, std::string& out, Loc loc) {
    if (auto v = Kestrix::JsonUtil::optString(_obj, key))
        out = *v;
    else
        fail(key, loc);
}

const Json::Value* objectMember(const Json::Value& json, const char* name) {
    if (!json.isObject()) return nullptr;
    const Json::Value* m = json.find(name, name + std::char_traits<char>::length(name));
    return m && m->isObject() ? m : nullptr;
}

}  // namespace Project
