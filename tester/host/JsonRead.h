#pragma once
// JSON documents that come from a tester or its update packages: untrusted, so nesting is bounded.
#include <string_view>

#include <boost/optional.hpp>
#include <json/value.h>

namespace Kestrix::Tester {

// The document, or none when it does not parse or nests deeper than 64 levels. Comments are not kept.
boost::optional<Json::Value> parseUntrustedJson(std::string_view doc);

}  // namespace Kestrix::Tester
