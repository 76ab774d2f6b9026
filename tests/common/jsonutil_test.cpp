#include "common/jsonutil.h"

#include "CommonTesting.h"

#include <cmath>
#include <limits>
#include <sstream>

#include "serialization/LogSink.h"

namespace {
using namespace Kestrix::JsonUtil;

// What an optional reader found, or "-".
template <typename T>
std::string found(const boost::optional<T>& v) {
    std::ostringstream out;
    out << std::boolalpha;
    if (v) out << *v;
    return v ? out.str() : "-";
}

// Each reader takes only its own type: no real as an integer, no integer beyond its range, no number as text.
TEST(JsonUtil, OptionalReadersNeverConvert) {
    Json::Value o(Json::objectValue);
    o["b"] = true;
    o["i"] = -5;
    o["u"] = 4000000000u;
    o["r"] = 5.0;
    o["s"] = "text";
    o["big"] = Json::Int64(1) << 40;
    std::string doc;
    for (const char* key : {"b", "i", "u", "r", "s", "big", "missing"})
        doc += std::string(key) + ": bool " + found(optBool(o, key)) + ", int " + found(optInt(o, key)) + ", uint " +
               found(optUInt(o, key)) + ", double " + found(optDouble(o, key)) + ", string " +
               found(optString(o, key)) + "\n";
    kx::test::expectGolden(doc, "JsonUtilReaders.txt");

    // Without a name, or on a non-object, the value itself.
    EXPECT_EQ(7, optInt(Json::Value(7)).value());
    EXPECT_EQ(7, optInt(Json::Value(7), "x").value());
    EXPECT_FALSE(optUInt(o["big"]));
}

TEST(JsonUtil, NumbersWithSpecialValues) {
    EXPECT_EQ(Json::Value("NaN"), jsonNumber(std::nan("")));
    EXPECT_EQ(Json::Value("+inf"), jsonNumber(std::numeric_limits<float>::infinity()));
    EXPECT_EQ(Json::Value("-inf"), jsonNumber(-std::numeric_limits<double>::infinity()));
    EXPECT_EQ(Json::realValue, jsonNumber(2.0).type());
    EXPECT_EQ(0.5, jsonNumber(0.5f).asDouble());

    for (double v : {1.25, -3.0, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()})
        EXPECT_EQ(v, optNumber(jsonNumber(v)).value());
    EXPECT_TRUE(std::isnan(optNumber(jsonNumber(std::nan(""))).value()));
    EXPECT_FALSE(optNumber(Json::Value("inf")));
    EXPECT_FALSE(optNumber(Json::Value(true)));
}

TEST(JsonUtil, TimeTexts) {
    EXPECT_EQ("19700101-0000", formatTime(0));
    EXPECT_EQ("20230314-1559", formatTime(1678809599));
    EXPECT_EQ("", formatTime(std::numeric_limits<int64_t>::max()));
    EXPECT_EQ("", ctimeText(std::numeric_limits<int64_t>::max()));
    const std::string c = ctimeText(1678809599);
    EXPECT_EQ(24u, c.size()) << c;
    EXPECT_NE('\n', c.back());
}

TEST(JsonUtil, FromJsonFailedGoesToTheLog) {
    std::vector<std::string> lines;
    Dump::setLogSink([&](int32_t, int32_t, const std::string& l) { lines.push_back(l); });
    // The build's absolute path never reaches the log: sources are named as in every other message.
    fromJsonFailed("/home/ci/kestrix/libcrossplatform/fiber/FiberLimit.cpp", 12, "name");
    fromJsonFailed("/home/ci/kestrix/libcrossplatform/fiber/FiberLimit.cpp", 13);
    Dump::setLogSink(nullptr);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("fromJson failed for name in fiber\\FiberLimit line 12", lines[0]);
    EXPECT_EQ("fromJson failed in fiber\\FiberLimit line 13", lines[1]);
}

TEST(JsonUtilDeathTest, NullFileIsAProgrammingError) {
    EXPECT_DEATH(fromJsonFailed(nullptr, 1), "Assertion failed at common\\\\jsonutil:[0-9]+ file");
}

}  // namespace
