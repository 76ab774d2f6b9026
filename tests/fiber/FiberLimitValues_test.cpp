#include "fiber/FiberTesting.h"

using VT = FiberLimitValueType;

TEST(FiberLimitValueRules, ValidityRangesUseTheTypesDecimals) {
    // 5.39999 rounds to 5.40 at two decimals.
    const struct {
        int type;
        float value;
        bool valid;
    } cases[] = {{36, 7.4f, true},     {36, 5.0f, false},     {36, 5.4f, true},  {9, 0.01f, false}, {9, -99.99f, true},
                 {0, 300000.0f, true}, {0, 300000.1f, false}, {4, -1.0f, false}, {60, 0.0f, true},  {60, 0.1f, false}};
    for (const auto& c : cases) EXPECT_EQ(isLimitValueValid(c.type, c.value), c.valid) << c.type << " " << c.value;
    for (const auto& [type, places] : {std::pair{1, 1}, {20, 4}, {33, 4}, {34, 2}})
        EXPECT_EQ(limitValueDecimalPlaces(type), places) << type;
    for (const auto& [type, value] : {std::pair{5, 0.75f}, {42, 28.0f}, {50, 28.7f}, {2, 0.0f}})
        EXPECT_FLOAT_EQ(defaultLimitValue(type), value) << type;
    EXPECT_STREQ(toString(VT::maxSplitterLoss_2x256), "maxSplitterLoss_2x256");
    EXPECT_STREQ(toString(static_cast<VT>(51)), "");
    EXPECT_STREQ(toString(FiberLLRefMethod(42)), "Not Set");
}

namespace {

FiberLimitValues budgetValues(bool withTestRef) {
    FiberLimitValues v(1310);
    v.values[VT::maxConnectorLoss] = ScaledInt(0.75f, ScaledInt::hundredths);
    v.values[VT::maxSpliceLoss] = ScaledInt(0.3f, ScaledInt::hundredths);
    v.values[VT::maxOverallAttenCoef] = ScaledInt(3.5f, ScaledInt::hundredths);
    if (withTestRef) {
        v.values[VT::maxTestConnectorLoss] = ScaledInt(0.5f, ScaledInt::hundredths);
        v.values[VT::maxRefConnectorLoss] = ScaledInt(0.1f, ScaledInt::hundredths);
    }
    return v;
}

const ScaledInt kBudget(10.0f, ScaledInt::hundredths);

}  // namespace

TEST(FiberLimitValues, RoundTripKeepsSortedUniqueKeysAndLossBudgetConnectorsCountByTheReferenceMethod) {
    FiberLimitValues v = budgetValues(true);
    v.supportedCategories = {FiberCategory::OS2, FiberCategory::OS1};
    Marshal::StreamOpStatus st{};
    const auto back = kx::test::roundTrip(v, &st);
    EXPECT_EQ(st, Marshal::ok);
    EXPECT_EQ(back, v);
    EXPECT_TRUE(back.getValue(VT::maxLength).isNaN());
    EXPECT_EQ(back.getValue(VT::maxLength).scaledTo, ScaledInt::ones);
    EXPECT_TRUE(everyPrefixFails<FiberLimitValues>(bytesOf(v)));

    // A repeated category or type keeps one entry.
    const std::vector<uint8_t> dup{4, 0x1E, 0x05, 2, 6, 6, 2, 5, 1, 75, 0, 0, 0, 2, 5, 1, 80, 0, 0, 0, 2};
    FiberLimitValues d;
    ASSERT_EQ(readInto(d, dup), Marshal::ok);
    EXPECT_EQ(d.wavelength, 1310);
    EXPECT_EQ(d.supportedCategories.size(), 1u);
    EXPECT_EQ(d.values.size(), 1u);

    auto newer = bytesOf(v);
    newer[0] = 5;
    EXPECT_EQ(readInto(d, newer), Marshal::versionTooNew);
    // A category count beyond the data fails before anything is read.
    EXPECT_EQ(readInto(d, std::vector<uint8_t>{4, 0x1E, 0x05, 0xFF, 1}), Marshal::readError);

    const struct {
        unsigned connectors, splices;
        FiberLLRefMethod method;
        bool withTestRef;
        unsigned count;
        const char *connectorLoss, *testRefLoss, *spliceLoss, *fiberLoss;
    } kCases[] = {
        // t=2, k=2, r=2: 2*0.5 + 2*0.75 - 2*0.1
        {4, 1, FiberLLRefMethod::threeJumper, true, 2, "2.30", "0.80", "0.30", "7.40"},
        // Two jumpers still count one ordinary connector for one: 1*0.5 + 1*0.75.
        {1, 0, FiberLLRefMethod::twoJumper, true, 1, "1.25", "0.50", "0.00", "8.75"},
        // Without a test connector limit only ordinary connectors count.
        {1, 0, FiberLLRefMethod::twoJumper, false, 0, "0.00", "NaN", "0.00", "10.00"},
        {5, 2, FiberLLRefMethod::threeJumper, false, 3, "2.25", "NaN", "0.60", "7.15"},
        {2, 0, FiberLLRefMethod::oneJumper, false, 2, "1.50", "NaN", "0.00", "8.50"},
        // An unknown method counts every connector as ordinary.
        {3, 0, FiberLLRefMethod(77), true, 3, "2.25", "0.00", "0.00", "7.75"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(static_cast<int>(c.method));
        const auto p =
            budgetValues(c.withTestRef).getOltsLengthBasedLossBudgetParts(c.connectors, c.splices, kBudget, c.method);
        EXPECT_EQ(p.connectorCount, c.count);
        EXPECT_EQ(p.connectorLoss.toString(), c.connectorLoss);
        EXPECT_EQ(p.testRefConnectorLoss.toString(), c.testRefLoss);
        EXPECT_EQ(p.spliceLoss.toString(), c.spliceLoss);
        EXPECT_EQ(p.fiberLoss.toString(), c.fiberLoss);
        EXPECT_EQ(p.attenuationCoefLimit.toString(), "3.50");
        EXPECT_EQ(p.totalLossBudget.toString(), "10.00");
    }
}

TEST(FiberImageLimitValues, SortOrderPutsUnboundedSizesLast) {
    FiberImageLimitValues a, b;
    a.type = b.type = FiberImageFeatureType::glob;
    a.zone = b.zone = FiberImageZone::cladding;
    a.maxFeatureSize = -1;
    b.maxFeatureSize = 25;
    EXPECT_TRUE(b.sortsBefore(a));
    EXPECT_FALSE(a.sortsBefore(b));
    b.type = FiberImageFeatureType::scratch;
    EXPECT_TRUE(a.sortsBefore(b));

    const auto bytes = bytesOf(a);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 1, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_TRUE(everyPrefixFails<FiberImageLimitValues>(bytes));
    kx::test::expectGolden(a.toJson(Dump::DumpFlags{1}), "FiberImageLimitValues.json");
}

TEST(FiberLimitResultList, RoundTripDumpAndLookup) {
    FiberLimitResultList list;
    list.results.emplace_back(VT::maxOverallLoss, ScaledInt(2.5f, ScaledInt::hundredths),
                              DisplayMeas(ScaledInt(0.75f, ScaledInt::hundredths), DisplayType::normal), Status::pass);
    list.results.emplace_back(VT::maxLength, ScaledInt(2000.0f, ScaledInt::tenths),
                              DisplayMeas(ScaledInt(1800.0f, ScaledInt::tenths), DisplayType::normal), Status::fail);
    const auto bytes = bytesOf(list);
    EXPECT_EQ(bytes.size(), 1 + 2 * FiberCheckLimitResult::kWireSize);
    FiberLimitResultList back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    ASSERT_NE(back.get(VT::maxLength), nullptr);
    EXPECT_EQ(back.get(VT::maxLength)->status, Status::fail);
    EXPECT_EQ(back.get(VT::minLength), nullptr);
    EXPECT_TRUE(everyPrefixFails<FiberLimitResultList>(bytes));

    kx::test::expectGolden(back.toJson(Dump::DumpFlags{1}), "FiberLimitResultList.json");
    // A table at the usual detail, each result's own dump at full detail.
    kx::test::expectGolden(
        Dump::dumpToString(back, Dump::DumpFlags{1}) + "----\n" + Dump::dumpToString(back, Dump::DumpFlags{2}),
        "FiberLimitResultList.txt");
}
