#include "fiber/FiberTesting.h"

TEST(FiberTestTypes, TextsAndParsing) {
    EXPECT_STREQ(toString(FiberTestType::otdrEnd1), "OTDR End 1");
    EXPECT_STREQ(toString(FiberTestType::vexLoop), "Vex Loop");
    EXPECT_STREQ(toString(static_cast<FiberTestType>(128)), "");
    EXPECT_STREQ(toString(TestType::deadzoneOtdr), "Deadzone OTDR");
    EXPECT_STREQ(toString(static_cast<TestType>(20)), "");
    EXPECT_TRUE(testTypeFromString("auto otdr") == TestType::autoOtdr);
    EXPECT_TRUE(testTypeFromString("LOSS LENGTH") == TestType::lossLength);
    EXPECT_FALSE(testTypeFromString("Auto OTDRx"));
    EXPECT_EQ(cableEndFromString("End 2"), 2);
    EXPECT_EQ(cableEndFromString("end 1"), 1);
    EXPECT_EQ(cableEndFromString("End 3"), -1);
    EXPECT_EQ(cableEndFromString(""), -1);
}

namespace {

FiberTestSummary sample() {
    FiberTestSummary s(FiberTestType::lossLength);
    s.status = Status::fail;
    s.timestamp = 1700000000;
    s.cableEnd = CableEnd::end2;
    s.operatorName = "J. Ortega";
    s.end1Name = "Rack A";
    s.end2Name = "Rack B";
    s.comment = "after cleaning";
    return s;
}

}  // namespace

TEST(FiberTestSummary, JsonDocument) {
    kx::test::expectGolden(sample().toJson(Dump::DumpFlags{1}), "FiberTestSummary.json");
}
