#include "fiber/FiberTesting.h"

TEST(FiberLimit, ConstructorFlagOrderAndDefaults) {
    const FiberLimit none;
    EXPECT_EQ(none.limitType, FiberLimitType::otdr);
    EXPECT_EQ(none.limitFlags, 0u);
    // mustUseTailComp is the second argument but bit 2; doLengthBasedLossBudget the third but bit 1.
    const FiberLimit l(FiberLimitType::otdr, "x", false, true, false, false, false, false, false, true, false,
                       DatabasePackageManifestSummary());
    EXPECT_TRUE(l.isFlagSet(LimitFlag::mustUseTailComp));
    EXPECT_TRUE(l.isFlagSet(LimitFlag::isVendorSystemLimit));
    EXPECT_FALSE(l.isFlagSet(LimitFlag::doLengthBasedLossBudget));
    EXPECT_EQ(l.limitFlags, (1u << 2) | (1u << 9));
}

TEST(FiberLimit, CustomMatchingAddingValuesAndRulesAndItsJson) {
    FiberLimit l = kx::test::lossLengthLimit();
    EXPECT_TRUE(l.getFiberLimitValues(FiberCategory::OM3, 850));
    EXPECT_FALSE(l.getFiberLimitValues(FiberCategory::OS2, 850));
    EXPECT_FALSE(l.getFiberLimitValues(FiberCategory::OM3, 1310));
    for (const char* name : {"*Site A*", "*"}) {
        l.name = name;
        auto v = l.getFiberLimitValues(FiberCategory::OS2, 1300);
        ASSERT_TRUE(v) << name;
        EXPECT_EQ(v->wavelength, 1300);
    }
    l.name = "*Site A";
    EXPECT_FALSE(l.getFiberLimitValues(FiberCategory::OS2, 1300));

    FiberLimitValues v(850);
    v.supportedCategories = {FiberCategory::OM3, FiberCategory::OM4};
    v.values[FiberLimitValueType::maxLength] = ScaledInt(550.0f, ScaledInt::tenths);
    l.addFiberLimitValues(v);
    ASSERT_EQ(l.valuesList.size(), 2u);
    EXPECT_EQ(l.valuesList[0].values.size(), 1u);
    v.supportedCategories = {FiberCategory::OM5};
    l.addFiberLimitValues(v);
    EXPECT_EQ(l.valuesList.size(), 3u);

    FiberLimit img = kx::test::imageLimit();
    ASSERT_EQ(img.imageLimitValues.size(), 2u);
    EXPECT_EQ(img.imageLimitValues[0].type, FiberImageFeatureType::glob);  // glob sorts before scratch
    FiberImageLimitValues same = img.imageLimitValues[0];
    same.allowedFeatures = 3;
    img.addImageLimitValue(same);
    ASSERT_EQ(img.imageLimitValues.size(), 2u);
    EXPECT_EQ(img.imageLimitValues[0].allowedFeatures, 3);
    EXPECT_EQ(img.getImageZoneDist(FiberImageZone::adhesive).value_or(0), 135);

    FiberLimit fresh = kx::test::imageLimit();
    fresh.limitFlags = 0x3;
    kx::test::expectGolden(fresh.toJson(Dump::DumpFlags{1}), "FiberLimit.json");
}

TEST(FiberLimit, OlderAndNewerLayoutsAndImpossibleCounts) {
    // Version 1 has no image section: without rules, the rule count and four zone distances (the last 17 bytes).
    const FiberLimit ll = kx::test::lossLengthLimit();
    const auto current = bytesOf(ll);
    FiberLimit v1;
    ASSERT_EQ(readInto(v1, kx::test::reframe(current, 0, 1, current.size() - 17, 17)), Marshal::ok);
    EXPECT_EQ(v1, ll);

    // A zero zone distance stays absent; the extra bytes of a newer writer are skipped.
    FiberLimit img = kx::test::imageLimit();
    img.imageZoneDist.erase(FiberImageZone::contact);
    const auto bytes = bytesOf(img);
    FiberLimit newer;
    ASSERT_EQ(readInto(newer, kx::test::reframe(bytes, 0, 4, bytes.size(), 0, {1, 2, 3})), Marshal::ok);
    EXPECT_EQ(newer, img);

    // limitType, name (2+1), then the values count.
    FiberLimit n;
    n.name = "n";
    auto evil = bytesOf(n);
    evil[kHeaderBytes + 1 + 3] = 200;
    EXPECT_EQ(readInto(n, evil), Marshal::readError);
}
