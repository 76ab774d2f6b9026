#include "common/jsonutil.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "serialization/Assert.h"
#include "serialization/LogSink.h"

namespace Kestrix::JsonUtil {

namespace {
const Json::Value& pick(const Json::Value& v, const char* name) {
    if (name != nullptr && v.isObject()) return v[name];
    return v;
}
bool isInteger(const Json::Value& v) { return v.type() == Json::intValue || v.type() == Json::uintValue; }

// The log facility and severity of fromJson reports.
constexpr int32_t kJsonLogFacility = 0;
constexpr int32_t kJsonLogSeverity = 1;
}  // namespace

boost::optional<bool> optBool(const Json::Value& v, const char* name) {
    const Json::Value& x = pick(v, name);
    if (!x.isBool()) return boost::none;
    return x.asBool();
}

boost::optional<int32_t> optInt(const Json::Value& v, const char* name) {
    const Json::Value& x = pick(v, name);
    // A real 5.0 answers isInt(); only stored integers count.
    if (!isInteger(x) || !x.isInt()) return boost::none;
    return x.asInt();
}

boost::optional<uint32_t> optUInt(const Json::Value& v, const char* name) {
    const Json::Value& x = pick(v, name);
    if (!isInteger(x)) return boost::none;
    if (x.isUInt()) return x.asUInt();
    // Negative numbers that fit int32 keep their 32-bit two's complement image.
    if (x.isInt()) return static_cast<uint32_t>(x.asInt());
    return boost::none;
}

uint32_t optCount(const Json::Value& v, const char* name, uint32_t max) {
    const Json::Value& x = pick(v, name);
    if (!isInteger(x)) return 0;
    if (x.type() == Json::intValue && x.asLargestInt() < 0) return 0;
    const Json::LargestUInt n = x.asLargestUInt();
    return n > max ? max : static_cast<uint32_t>(n);
}

boost::optional<std::string> optString(const Json::Value& v, const char* name) {
    const Json::Value& x = pick(v, name);
    if (!x.isString()) return boost::none;
    return x.asString();
}

boost::optional<double> optDouble(const Json::Value& v, const char* name) {
    const Json::Value& x = pick(v, name);
    if (!x.isNumeric() || x.isBool()) return boost::none;
    return x.asDouble();
}

Json::Value jsonNumber(double v) {
    if (std::isnan(v)) return Json::Value("NaN");
    if (std::isinf(v)) return Json::Value(v > 0 ? "+inf" : "-inf");
    return Json::Value(v);
}

Json::Value jsonNumber(float v) { return jsonNumber(static_cast<double>(v)); }

boost::optional<double> optNumber(const Json::Value& v, const char* name) {
    const Json::Value& x = pick(v, name);
    if (x.isString()) {
        const std::string s = x.asString();
        if (s == "NaN") return std::numeric_limits<double>::quiet_NaN();
        if (s == "+inf") return std::numeric_limits<double>::infinity();
        if (s == "-inf") return -std::numeric_limits<double>::infinity();
        return boost::none;
    }
    return optDouble(x);
}

std::string formatTime(int64_t seconds) {
    if (seconds < std::numeric_limits<std::time_t>::min() || seconds > std::numeric_limits<std::time_t>::max())
        return {};
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (gmtime_r(&t, &tm) == nullptr) return {};
    char buf[64];
    const size_t n = std::strftime(buf, sizeof buf, "%Y%m%d-%H%M", &tm);
    return std::string(buf, n);
}

std::string ctimeText(int64_t seconds) {
    if (seconds < std::numeric_limits<std::time_t>::min() || seconds > std::numeric_limits<std::time_t>::max())
        return {};
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) return {};
    // The ctime() layout, without its fixed-size buffer (years beyond 9999 would overflow it).
    char buf[96];
    const size_t n = std::strftime(buf, sizeof buf, "%a %b %e %H:%M:%S %Y", &tm);
    return std::string(buf, n);
}

void fromJsonFailed(const char* file, int line, const char* member) {
    KX_ASSERT(file);
    char buf[512];
    if (member != nullptr)
        std::snprintf(buf, sizeof buf, "fromJson failed for %s in %s line %d", member, sourceName(file).c_str(), line);
    else
        std::snprintf(buf, sizeof buf, "fromJson failed in %s line %d", sourceName(file).c_str(), line);
    Dump::logLine(kJsonLogFacility, kJsonLogSeverity, buf);
}

}  // namespace Kestrix::JsonUtil
