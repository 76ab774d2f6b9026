// Collections longer than their stored count can say are written as their first entries: the count never
// wraps (256 entries once wrote a count of 0 and left the rest to be misread as the following fields).
#include "fiber/FiberTesting.h"

TEST(StoredCount, LimitResultsCategoriesAndValueTypesOf256KeepTheFirst255) {
    FiberLimitResultList list;
    for (int i = 0; i < 256; ++i)
        list.results.emplace_back(FiberLimitValueType::maxOverallLoss,
                                  ScaledInt(static_cast<float>(i), ScaledInt::ones), DisplayMeas(), Status::pass);
    const auto bytes = bytesOf(list);
    EXPECT_EQ(bytes[0], 255);
    FiberLimitResultList back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    ASSERT_EQ(back.results.size(), 255u);
    EXPECT_EQ(back.results.back().limitValue.toString(), "254");

    FiberLimitValues v(1310);
    for (int i = 0; i < 256; ++i) {
        v.supportedCategories.insert(static_cast<FiberCategory>(i));
        v.values[static_cast<FiberLimitValueType>(i)] = ScaledInt(static_cast<float>(i), ScaledInt::ones);
    }
    FiberLimitValues values;
    ASSERT_EQ(readInto(values, bytesOf(v)), Marshal::ok);
    EXPECT_EQ(values.wavelength, 1310);
    EXPECT_EQ(values.supportedCategories.size(), 255u);
    EXPECT_EQ(values.supportedCategories.count(static_cast<FiberCategory>(255)), 0u);
    ASSERT_EQ(values.values.size(), 255u);
    EXPECT_EQ(values.getValue(static_cast<FiberLimitValueType>(254)).toString(), "254");
}

TEST(StoredCount, LimitWith256OfEveryListAndFiberWith65536WavelengthsReadBack) {
    FiberLimit l;
    l.name = "*many*";
    l.limitFlags = 0x3;
    for (int i = 0; i < 256; ++i) {
        l.valuesList.emplace_back(static_cast<uint16_t>(800 + i));
        l.supportedPorts.insert(static_cast<FiberPort>(i));
        FiberImageLimitValues rule;
        rule.maxFeatureSize = i;
        l.imageLimitValues.push_back(rule);
    }
    l.imageZoneDist[FiberImageZone::contact] = 250;
    const auto bytes = bytesOf(l);
    FiberLimit back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    ASSERT_EQ(back.valuesList.size(), 255u);
    EXPECT_EQ(back.valuesList.back().wavelength, 800 + 254);
    EXPECT_EQ(back.supportedPorts.size(), 255u);
    EXPECT_EQ(back.imageLimitValues.size(), 255u);
    // The fields after the lists are where they were written.
    EXPECT_EQ(back.limitFlags, 0x3u);
    EXPECT_EQ(back.getImageZoneDist(FiberImageZone::contact).value_or(0), 250);

    Fiber f;
    f.name = "wide";
    f.perWls.reserve(0x10000);
    for (uint32_t wl = 0; wl < 0x10000; ++wl) f.perWls.emplace_back(wl);
    Fiber fiberBack;
    ASSERT_EQ(readInto(fiberBack, bytesOf(f)), Marshal::ok);
    ASSERT_EQ(fiberBack.perWls.size(), 0xFFFFu);
    EXPECT_EQ(fiberBack.perWls.back().wavelength, 0xFFFEu);
    EXPECT_EQ(fiberBack.name, "wide");
}

TEST(StoredCount, LossLengthCountsAboveAByteAreCappedOnWritingAndClampedFromJson) {
    FiberLossLengthSettings s;
    s.numAdapters = 300;
    s.numSplices = 256;
    s.numMpoUltraLowLossConnectors = 1000;
    FiberLossLengthSettings back;
    ASSERT_EQ(readInto(back, bytesOf(s)), Marshal::ok);
    EXPECT_EQ(back.numAdapters, 255u);
    EXPECT_EQ(back.numSplices, 255u);
    EXPECT_EQ(back.numMpoUltraLowLossConnectors, 255u);

    // JSON from a host or a file: counts outside a byte are clamped, as they would reach the tester modulo 256.
    Json::Value j = FiberLossLengthSettings().toJson(Dump::DumpFlags{1});
    Json::Value& b = j["FiberLossLengthSettings"];
    b["numAdapters"] = 300;
    b["numSplices"] = -3;
    b["numLcConnectors"] = Json::Int64(1) << 40;
    b["numMpoConnectors"] = 255;
    FiberLossLengthSettings clamped;
    ASSERT_TRUE(clamped.fromJson(j));
    EXPECT_EQ(clamped.numAdapters, 255u);
    EXPECT_EQ(clamped.numSplices, 0u);
    EXPECT_EQ(clamped.numLcConnectors, 255u);
    EXPECT_EQ(clamped.numMpoConnectors, 255u);

    Json::Value oj = FiberOtdrSettings().toJson(Dump::DumpFlags{1});
    oj["FiberOtdrSettings"]["numConnectors"] = -1;
    oj["FiberOtdrSettings"]["numSplices"] = 4000;
    FiberOtdrSettings oback;
    oback.fromJson(oj);
    EXPECT_EQ(oback.numConnectors, 0u);
    EXPECT_EQ(oback.numSplices, 255u);
}
