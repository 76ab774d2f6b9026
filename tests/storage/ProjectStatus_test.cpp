#include "storage/ProjectStatus.h"

#include "storage/StorageTesting.h"

// Its JSON reads back through the project's (Core, BytesAndJsonRoundTrip).
TEST(ProjectStatus, CurrentLayoutVersionGatesAndAMissingJsonKey) {
    const Status current = kx::test::sampleProject().status;
    EXPECT_EQ(bytesOf(current), kx::test::statusBytesAtVersion(current, 3));
    Status back;
    Json::Value missing = current.toJson({1});
    missing["Status"].removeMember("lastSync");
    EXPECT_FALSE(back.fromJson(missing));

    // Version 1 has no run count: the sum of the outcomes (50 + 4 + 5 + 1) stands in for it.
    Status src = current;
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
