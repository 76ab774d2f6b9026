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
