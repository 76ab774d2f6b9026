#include "fiber/FiberTesting.h"

namespace {
// Settings whose tail is known: two bend entries, one splitter.
FiberOtdrSettings knownSettings() {
    FiberOtdrSettings s = kx::test::otdrSettings();
    s.splitterEntries = {OtdrSplitterRatio::r1x8};
    s.span = FibDbus::OtdrSpan(ScaledInt(200.0f, ScaledInt::tenths), ScaledInt(1900.0f, ScaledInt::tenths));
    return s;
}
constexpr size_t kSpanBytes = kHeaderBytes + 2 * ScaledInt::kWireSize;
constexpr size_t kBendAndSplitterBytes = 1 + 1 + 2 * 7 + 1 + 1;
}  // namespace

TEST(OtdrSettings, BytesAndJsonRoundTripJsonRefusalsTextsAndLookups) {
    const FiberOtdrSettings s = knownSettings();
    const auto bytes = bytesOf(s);
    FiberOtdrSettings back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_EQ(back, s);

    const Json::Value j = s.toJson(Dump::DumpFlags{1});
    kx::test::expectGolden(j, "FiberOtdrSettings.json");
    back = FiberOtdrSettings();
    ASSERT_TRUE(back.fromJson(j));
    EXPECT_EQ(back, s);

    // Texts are matched without regard to case.
    Json::Value shouting = j;
    shouting["FiberOtdrSettings"]["otdrAveragingTime"] = "10 SECONDS PER WAVELENGTH";
    ASSERT_TRUE(back.fromJson(shouting));
    EXPECT_EQ(back.otdrAveragingTime, OtdrAveragingTime::s10);

    // Missing and unknown members are reported.
    back = FiberOtdrSettings();
    Json::Value missing = j;
    missing["FiberOtdrSettings"].removeMember("otdrRange");
    EXPECT_FALSE(back.fromJson(missing));
    EXPECT_EQ(back.fiberName, "OS2 Singlemode");  // reading went on

    Json::Value unknown = j;
    unknown["FiberOtdrSettings"]["otdrRange"] = "12 km";
    EXPECT_FALSE(back.fromJson(unknown));

    // Keys of later versions are not looked for in older ones.
    Json::Value old = j;
    old["FiberOtdrSettings"]["_classVersion"] = 1;
    old["FiberOtdrSettings"].removeMember("reflectanceThreshold");
    old["FiberOtdrSettings"].removeMember("splitterEntries");
    old["FiberOtdrSettings"].removeMember("OtdrSpan");
    EXPECT_TRUE(back.fromJson(old));
    EXPECT_TRUE(back.splitterEntries.empty());

    EXPECT_FALSE(back.fromJson(Json::Value("FiberOtdrSettings")));
    Json::Value wrongClass = j;
    wrongClass["FiberOtdrSettings"]["_className"] = "FiberLossLengthSettings";
    EXPECT_FALSE(back.fromJson(wrongClass));

    EXPECT_STREQ(toString(OtdrRange::km15), "15 km");
    EXPECT_STREQ(toString(static_cast<OtdrRange>(12000)), "");
    EXPECT_STREQ(toString(OtdrAveragingTime::s180), "180 seconds per wavelength");
    EXPECT_STREQ(toString(static_cast<OtdrAveragingTime>(12)), "");
    EXPECT_STREQ(toString(OtdrBendWavelengths::wl1490_1650), "1490/1650");
    EXPECT_STREQ(toString(OtdrSplitterRatio::r2x256), "2x256");
    EXPECT_EQ(autoOrManualFromString("mAnUaL"), 1);
    EXPECT_EQ(autoOrManualFromString("sometimes"), -1);
    EXPECT_TRUE(otdrRangeFromString("15 KM") == OtdrRange::km15);
    ASSERT_NE(s.getSettingsPerWl(1625), nullptr);
    EXPECT_EQ(s.getSettingsPerWl(1383), nullptr);
    EXPECT_EQ(s.kind(), 1);
}

TEST(OtdrSettings, OlderVersionsReadWithDefaultsAndPerWavelengthVersion1Widens) {
    // Version 3 has no span at all (NaN); version 4 stores it as two bare values; version 1 holds items 1 to
    // 7 only: no bend detection (though written with it), thresholds, splitters or reflectance threshold.
    const FiberOtdrSettings s = knownSettings();
    const auto bytes = bytesOf(s);
    const size_t spanAt = bytes.size() - kSpanBytes;
    const std::vector<uint8_t> bare(bytes.begin() + static_cast<std::ptrdiff_t>(spanAt + 12), bytes.end());
    FiberOtdrSettings withBends = s;
    withBends.otdrBendDetectionEnabled = true;
    const auto bendBytes = bytesOf(withBends);
    const size_t tail = 4 + kBendAndSplitterBytes + kSpanBytes;
    Json::Value versions;
    for (const auto& old : {kx::test::reframe(bendBytes, 0, 1, bendBytes.size() - tail, tail),
                            kx::test::reframe(bytes, 0, 3, spanAt, kSpanBytes),
                            kx::test::reframe(bytes, 0, 4, spanAt, kSpanBytes, bare)}) {
        FiberOtdrSettings back;
        ASSERT_EQ(readInto(back, old), Marshal::ok);
        versions.append(back.toJson(Dump::DumpFlags{1}));
    }
    kx::test::expectGolden(versions, "FiberOtdrSettingsVersions.json");

    Marshal::ByteStreamBuilder b;
    b.write(static_cast<uint8_t>(1));
    b.write(static_cast<uint16_t>(1550));
    ScaledInt(4000.0f, ScaledInt::ones).serialize(b);
    ScaledInt(0.5f, ScaledInt::tenths).serialize(b);
    ScaledInt(10.0f, ScaledInt::ones).serialize(b);
    b.write(static_cast<int32_t>(-1));
    b.write(static_cast<int32_t>(100));
    ScaledInt(7.0f, ScaledInt::ones).serialize(b);  // dropped
    b.write(3.5f);                                  // dropped
    b.write(static_cast<uint16_t>(77));             // dropped
    b.write(static_cast<int32_t>(-4096));
    std::vector<uint8_t> perWl(b.data(), b.data() + b.size());
    FiberOtdrSettingsPerWl p;
    ASSERT_EQ(readInto(p, perWl), Marshal::ok);
    EXPECT_EQ(p.wavelength, 1550);
    EXPECT_EQ(p.otdrPulseWidth, -1);
    EXPECT_EQ(p.nominalOtdrPulseWidth, 100);
    EXPECT_EQ(p.numberOfAverages, -4096);

    perWl[0] = 3;
    EXPECT_EQ(readInto(p, perWl), Marshal::versionTooNew);
}
