#include "storage/ProjectStatus.h"

#include "storage/StorageTesting.h"

TEST(ProjectStatus, VersionGatesUseDefaults) {
    // Version 1 has no run count: the sum of the outcomes (50 + 4 + 5 + 1) stands in for it.
    Status src = kx::test::sampleProject().status;
    src.numTestsRun = 99;
    struct Case {
        uint8_t version;
        uint32_t run;
        int64_t sync;
    } cases[] = {{1, 60, 0}, {2, 99, 0}, {3, 99, 1700095000}};
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

TEST(ProjectStatus, CurrentLayoutAndAMissingJsonKey) {
    const Status s = kx::test::sampleProject().status;
    EXPECT_EQ(kx::test::bytesOf(s), kx::test::statusBytesAtVersion(s, 3));

    // Its JSON reads back through the project's (Core, BytesAndJsonRoundTrip).
    Status back;
    Json::Value missing = s.toJson({1});
    missing["Status"].removeMember("lastSync");
    EXPECT_FALSE(back.fromJson(missing));
}
