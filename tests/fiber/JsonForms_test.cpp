// JSON forms shared by the fiber classes: non-finite numbers as texts, detail level 0, reader log lines.
#include "fiber/FiberTesting.h"

#include <limits>

#include "serialization/LogSink.h"

namespace {

// The members of a class's JSON body at detail level 0: only the class name and version may remain (and a
// limit's own name).
template <typename T>
std::vector<std::string> levelZeroMembers(const T& object, const char* wrapper = nullptr) {
    Json::Value j = object.toJson(Dump::DumpFlags{0});
    if (wrapper) j = j[wrapper];
    std::vector<std::string> extra;
    for (const auto& key : j.getMemberNames())
        if (key != "_className" && key != "_classVersion") extra.push_back(key);
    return extra;
}

}  // namespace

TEST(FiberJsonForms, NonFiniteIrAsTextOnlyTheClassNameAtLevelZeroAndTheSourceNamedShortly) {
    // The texts of every non-finite number are the shared JSON number's (jsonutil); here that the fiber uses it.
    FiberPerWl p(1310);
    p.ir = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(p.toJson(Dump::DumpFlags{1})["FiberPerWl"]["ir"].asString(), "NaN");

    using V = std::vector<std::string>;
    EXPECT_EQ(levelZeroMembers(FiberPower()), V{});
    EXPECT_EQ(levelZeroMembers(FiberTestSummary()), V{});
    EXPECT_EQ(levelZeroMembers(FiberImageLimitValues()), V{});
    EXPECT_EQ(levelZeroMembers(kx::test::lossLengthSettings(), "FiberLossLengthSettings"), V{});
    EXPECT_EQ(levelZeroMembers(FibDbus::OtdrSpan(), "OtdrSpan"), V{});
    EXPECT_EQ(levelZeroMembers(FiberLimit(), "FiberLimit"), V{"name"});
    // Level 1 still writes everything.
    EXPECT_TRUE(FiberPower().toJson(Dump::DumpFlags{1}).isMember("dBm"));

    Json::Value j = kx::test::lossLengthSettings().toJson(Dump::DumpFlags{1});
    j["FiberLossLengthSettings"].removeMember("limitName");
    std::vector<std::string> log;
    Dump::setLogSink([&](int32_t, int32_t, const std::string& line) { log.push_back(line); });
    FiberLossLengthSettings s;
    EXPECT_FALSE(s.fromJson(j));
    Dump::setLogSink(nullptr);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("limitName in fiber\\FiberLossLengthSettings line "), std::string::npos) << log[0];
    EXPECT_EQ(log[0].find('/'), std::string::npos) << log[0];
}
