#include "serialization/JsonText.h"

#include <json/writer.h>

#include <sstream>

#include "serialization/SimpleFormatter.h"

namespace Dump {

std::string toJsonString(const Json::Value& value, bool compact) {
    if (compact) {
        Json::FastWriter writer;
        return writer.write(value);
    }
    Json::StyledWriter writer;
    return writer.write(value);
}

std::string toJsonString(const IJsonable& object, const DumpFlags& flags, bool compact) {
    return toJsonString(object.toJson(flags), compact);
}

void dumpStyledJson(const IJsonable& object, IFormatter& f) { f.line(toJsonString(object, DumpFlags{1}, false)); }

std::string dumpToString(const IDumpable& object, const DumpFlags& flags) {
    std::ostringstream out;
    SimpleFormatter f(&out);
    object.dump(f, flags);
    return out.str();
}

}  // namespace Dump
