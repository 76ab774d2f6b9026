#include "fiber/FiberTesting.h"

TEST(Fiber, DefaultsNominalCoreSizeLookupAndTexts) {
    Fiber f;
    EXPECT_EQ(f.category, FiberCategory::none);
    EXPECT_EQ(f.fiberMode, FiberMode::multimode);
    EXPECT_TRUE(f.coreSize.isNaN());
    EXPECT_EQ(f.getNominalCoreSize(), FiberCoreSize::upTo30um);
    // Strictly greater than 57 um is above.
    for (const auto& [um, size] : {std::pair{62.5f, FiberCoreSize::above57um},
                                   {57.0f, FiberCoreSize::upTo57um},
                                   {30.0f, FiberCoreSize::upTo30um}}) {
        f.coreSize = ScaledInt(um, ScaledInt::tenths);
        EXPECT_EQ(f.getNominalCoreSize(), size) << um;
    }
    const Fiber mm = kx::test::multimodeFiber();
    ASSERT_NE(mm.getFiberPerWl(1300), nullptr);
    EXPECT_EQ(mm.getFiberPerWl(1300)->modalBandwidth, 500u);
    EXPECT_EQ(mm.getFiberPerWl(1310), nullptr);
    EXPECT_STREQ(toString(FiberCategory::OM5), "OM5");
    EXPECT_STREQ(toString(FiberCategory(10)), "");
    EXPECT_STREQ(toString(FiberMode(3)), "");
    EXPECT_STREQ(toString(FiberConnectorType::MTRJ), "MT-RJ");
    EXPECT_STREQ(toString(FiberConnectorType(0)), "Not Set");
}

TEST(Fiber, ExtraPayloadBytesSkippedImpossibleCountsRefusedAndVersionOneIrAsFloat) {
    auto bytes = bytesOf(kx::test::singlemodeFiber());
    bytes = kx::test::reframe(bytes, 0, 3, bytes.size(), 0, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE});
    bytes.push_back(0x42);  // the next object in the stream
    Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    Fiber back;
    ASSERT_EQ(back.deserialize(r), Marshal::ok);
    EXPECT_EQ(back, kx::test::singlemodeFiber());
    uint8_t next = 0;
    ASSERT_TRUE(r.read(next));
    EXPECT_EQ(next, 0x42);

    // The per-wavelength count sits just before the entries; claim 65535 of them.
    Fiber empty = kx::test::multimodeFiber();
    empty.perWls.clear();
    auto e = bytesOf(empty);
    e[e.size() - 2] = 0xFF;
    e[e.size() - 1] = 0xFF;
    EXPECT_EQ(readInto(empty, e), Marshal::readError);

    Marshal::ByteStreamBuilder b;
    b.write(static_cast<uint8_t>(1));
    b.write(static_cast<uint16_t>(1550));
    b.write(1.4682f);
    b.write(static_cast<uint16_t>(0));
    ScaledInt(-81.7f, ScaledInt::tenths).serialize(b);
    FiberPerWl p;
    ASSERT_EQ(readInto(p, b.bytes()), Marshal::ok);
    EXPECT_EQ(p.wavelength, 1550u);
    EXPECT_EQ(p.ir, static_cast<double>(1.4682f));
    EXPECT_EQ(p.backscatterCoef.toString(), "-81.7");

    auto v3 = bytesOf(p);
    v3[0] = 3;
    EXPECT_EQ(readInto(p, v3), Marshal::versionTooNew);
    EXPECT_TRUE(everyPrefixFails<FiberPerWl>(bytesOf(p)));
}

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
