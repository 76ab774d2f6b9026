#pragma once
#include <cstdint>
#include <string>

#include <boost/optional.hpp>
#include <json/value.h>

namespace Kestrix::JsonUtil {

// Optional readers: with a name and an object value, the member of that name is read, else the value itself.
// A JSON value of another type gives none; nothing is converted.
boost::optional<bool> optBool(const Json::Value& v, const char* name = nullptr);
boost::optional<int32_t> optInt(const Json::Value& v, const char* name = nullptr);
// Signed or unsigned integers that fit 32 bits.
boost::optional<uint32_t> optUInt(const Json::Value& v, const char* name = nullptr);
boost::optional<std::string> optString(const Json::Value& v, const char* name = nullptr);
boost::optional<double> optDouble(const Json::Value& v, const char* name = nullptr);
// A count clamped to 0..max, as its stored field can hold it: negative gives 0, missing or not an integer 0.
uint32_t optCount(const Json::Value& v, const char* name, uint32_t max);

// NaN -> "NaN", +inf -> "+inf", -inf -> "-inf", else a JSON real.
Json::Value jsonNumber(float v);
Json::Value jsonNumber(double v);
// Inverse of jsonNumber: the three texts or a number.
boost::optional<double> optNumber(const Json::Value& v, const char* name = nullptr);

// Seconds since 1970 in UTC as "%Y%m%d-%H%M"; empty when the time cannot be converted.
std::string formatTime(int64_t seconds);
// ctime() text of a time, without the trailing newline.
std::string ctimeText(int64_t seconds);

// Reports a missing or malformed member of a fromJson reader to the log sink:
// "fromJson failed for <member> in <file> line <line>" or "fromJson failed in <file> line <line>".
void fromJsonFailed(const char* file, int line, const char* member = nullptr);

}  // namespace Kestrix::JsonUtil

#define KX_FROM_JSON_FAILED(member) ::Kestrix::JsonUtil::fromJsonFailed(__FILE__, __LINE__, member)
