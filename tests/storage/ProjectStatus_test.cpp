#include "storage/ProjectStatus.h"

#include <gtest/gtest.h>

#include "core/TestBytes.h"
#include "storage/ProjectBuilders.h"

using kx::test::readInto;
using Project::Status;

namespace {
Status counts() {
    Status s;
    s.numTests = 10;
    s.numTestsRun = 99;
    s.numPassedTests = 3;
    s.numPassedStarTests = 2;
    s.numFailedTests = 4;
    s.numInfoOnlyTests = 1;
    s.numUploadedResults = 5;
    s.numResults = 6;
    s.totalResultsSize = 1ull << 40;
    s.firstTestTimestamp = 1600000000;
    s.lastTestTimestamp = 1600000100;
    s.lastSync = 1600000200;
    return s;
}
}  // namespace

TEST(ProjectStatus, VersionGatesUseDefaults) {
    const Status src = counts();
    struct Case {
        uint8_t version;
        uint32_t run;
        int64_t sync;
    } cases[] = {{1, 10, 0}, {2, 99, 0}, {3, 99, 1600000200}};
    for (const auto& c : cases) {
        Status s;
        s.lastSync = 77;
        ASSERT_EQ(readInto(s, kx::test::statusBytesAtVersion(src, c.version)), Marshal::ok) << int(c.version);
        EXPECT_EQ(s.numTestsRun, c.run) << int(c.version);
        EXPECT_EQ(s.lastSync, c.sync) << int(c.version);
        EXPECT_EQ(s.totalResultsSize, src.totalResultsSize);
        EXPECT_EQ(s.lastTestTimestamp, src.lastTestTimestamp);
    }
}

TEST(ProjectStatus, CurrentLayoutAndJsonRoundTrip) {
    const Status s = counts();
    EXPECT_EQ(kx::test::bytesOf(s), kx::test::statusBytesAtVersion(s, 3));

    Status back;
    ASSERT_TRUE(back.fromJson(s.toJson({1})));
    EXPECT_EQ(back, s);
    Json::Value missing = s.toJson({1});
    missing["Status"].removeMember("lastSync");
    EXPECT_FALSE(back.fromJson(missing));
}
