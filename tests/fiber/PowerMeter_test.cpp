#include "fiber/FiberTesting.h"

#include <cmath>

TEST(FiberPowerMeterTest, DifferencesVersionZeroNeitherFiberNorLimitAndAnImpossibleEntryCount) {
    const FiberPowerMeterPerWl p = kx::test::powerMeterTest().testPerWlVec[0];
    EXPECT_EQ(p.dB().toString(), "2.25");
    EXPECT_EQ(p.maxdB().toString(), "2.40");
    EXPECT_EQ(p.mindB().toString(), "2.10");

    Marshal::ByteStreamBuilder b;
    b.write(static_cast<uint8_t>(0));
    b.write(static_cast<uint16_t>(1310));
    for (const FiberPower* x : {&p.refPower, &p.power, &p.minPower, &p.maxPower}) x->serialize(b);
    FiberPowerMeterPerWl back;
    ASSERT_EQ(readInto(back, b.bytes()), Marshal::ok);
    EXPECT_EQ(back.wavelength, 1310.0f);
    EXPECT_TRUE(std::isnan(back._minRange));
    EXPECT_TRUE(std::isnan(back._maxRange));
    auto v2 = bytesOf(p);
    v2[0] = 2;
    EXPECT_EQ(readInto(back, v2), Marshal::versionTooNew);

    FiberPowerMeterTest t = kx::test::powerMeterTest();
    Fiber f;
    FiberLimit l;
    EXPECT_FALSE(t.getFiber(f));
    EXPECT_FALSE(t.getLimit(l));

    t.testPerWlVec.clear();
    auto bytes = bytesOf(t);
    bytes.back() = 40;
    FiberPowerMeterTest whole;
    EXPECT_EQ(readInto(whole, bytes), Marshal::readError);
}
