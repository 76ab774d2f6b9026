#pragma once
#include <string>

#include "serialization/IDumpable.h"

namespace Dump {

// toJson(flags) written compactly (FastWriter) or indented (StyledWriter).
std::string toJsonString(const IJsonable& object, const DumpFlags& flags, bool compact);
std::string toJsonString(const Json::Value& value, bool compact);

// The dump idiom of classes with a JSON form: their styled JSON at detail level 1, as one text line.
void dumpStyledJson(const IJsonable& object, IFormatter& f);

// Plain dump of any object into a string (detail level 1 unless given).
std::string dumpToString(const IDumpable& object, const DumpFlags& flags = DumpFlags{});

}  // namespace Dump
