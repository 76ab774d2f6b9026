#include "fiber/FiberTesting.h"

#include <cmath>

TEST(FiberPower, WattsFromDbmAreCachedInTheChosenUnitAndResolutionsAreStored) {
    FiberPower p(-20.0f, ScaledInt::hundredths, FiberPower::microwatts, ScaledInt::tenths);
    EXPECT_EQ(p.watts().toString(), "10.0");
    const ScaledInt* first = &p.watts();
    EXPECT_EQ(&p.watts(), first);
    EXPECT_EQ(p.diplayType(), DisplayType::normal);
    FiberPower mw(3.0f, ScaledInt::hundredths, FiberPower::milliwatts, ScaledInt::hundredths);
    EXPECT_EQ(mw.watts().toString(), "2.00");
    FiberPower none;
    EXPECT_TRUE(none.watts().isNaN());
    EXPECT_EQ(none.diplayType(), DisplayType::dashes);

    // Stored: the resolutions; unknown ones are refused.
    const FiberPower nw(-7.25f, ScaledInt::hundredths, FiberPower::nanowatts, ScaledInt::ones);
    const auto bytes = bytesOf(nw);
    ASSERT_EQ(bytes.size(), FiberPower::kWireSize);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 4, bytes.end()), (std::vector<uint8_t>{2, 3, 0}));
    FiberPower back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_EQ(back.dBm().toString(), "-7.25");
    EXPECT_EQ(back.wattUnits, 3);
    auto bad = bytes;
    bad[4] = 9;
    EXPECT_EQ(readInto(back, bad), Marshal::invalidData);
    bad = bytes;
    bad[6] = 0xFE;
    EXPECT_EQ(readInto(back, bad), Marshal::invalidData);
    EXPECT_TRUE(everyPrefixFails<FiberPower>(bytes));
}

TEST(FiberLossLengthPerDirectionWl, VersionZeroHasNoRanges) {
    FiberLossLengthTestPerDirectionWl e = kx::test::lossLengthTest().testPerDirectionWlVec[0];
    auto bytes = bytesOf(e);
    bytes.resize(bytes.size() - 8);
    bytes[0] = 0;
    FiberLossLengthTestPerDirectionWl back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_TRUE(std::isnan(back._minRange));
    EXPECT_TRUE(std::isnan(back._maxRange));
    EXPECT_EQ(back.wavelength, 850);
    bytes[0] = 2;
    EXPECT_EQ(readInto(back, bytes), Marshal::versionTooNew);
}

TEST(FiberLossLengthTest, PatchCordsCopiesJsonVersionZeroAndWorstMaxLossResult) {
    FiberLossLengthTest t = kx::test::lossLengthTest();
    EXPECT_EQ(t.getPatchCordLength(1).toString(), "1.5");
    EXPECT_TRUE(t.getPatchCordLength(2).isNaN());
    Fiber f;
    FiberLimit l;
    EXPECT_TRUE(t.getFiber(f));
    EXPECT_TRUE(t.getLimit(l));
    EXPECT_EQ(f.name, "OM3 Multimode 50");
    EXPECT_EQ(t.testKind(), FiberTest::Kind::lossLength);

    t.warningFlags = 2 | 8 | 16;  // 16 has no text
    kx::test::expectGolden(t.toJson(Dump::DumpFlags{1}), "FiberLossLengthTest.json");

    // Version 0 has no fail warnings of its own: the warnings are copied.
    t.warningFlags = 4;
    t.failWarningFlags = 0;
    const auto v0 = kx::test::reframe(bytesOf(t), 0, 0, kHeaderBytes + 8 + bytesOf(t.celsius).size() + 1, 1);
    FiberLossLengthTest back;
    ASSERT_EQ(readInto(back, v0), Marshal::ok);
    EXPECT_EQ(back.failWarningFlags, 4u);

    // The worst maximum-loss result.
    FiberLossLengthTest worst;
    auto add = [&](CableEnd end, Status st, float margin) {
        FiberLossLengthTestPerDirectionWl e;
        e.direction = end;
        e.limitResults.results.push_back(kx::test::checkResult(FiberLimitValueType::maxOverallLoss, 2.6f, margin, st));
        worst.testPerDirectionWlVec.push_back(e);
    };
    EXPECT_EQ(worst.getMaxLossCheckLimitResult(CableEnd::notSet), nullptr);
    add(CableEnd::end1, Status::pass, 1.0f);
    add(CableEnd::end1, Status::fail, 3.0f);
    add(CableEnd::end2, Status::pass, 0.5f);
    add(CableEnd::end2, Status::pass, 0.5f);
    const auto* all = worst.getMaxLossCheckLimitResult(CableEnd::notSet);
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all, worst.testPerDirectionWlVec[1].getMaxLossCheckLimitResult());
    // Same class: smaller margin; ties keep the first.
    EXPECT_EQ(worst.getMaxLossCheckLimitResult(CableEnd::end2),
              worst.testPerDirectionWlVec[2].getMaxLossCheckLimitResult());
    EXPECT_EQ(kx::test::lossLengthTest().getMaxLossCheckLimitResult(CableEnd::end2)->status, Status::fail);
}

TEST(FiberLossLengthSettings, OlderVersionsAndSplicesStoredBetweenLcAndMpoCounts) {
    FiberLossLengthSettings s = kx::test::lossLengthSettings();
    s.farEndSourceType = FarEndSourceType::powrelPro;
    s.fiberTestType = TestType::patchCordTest;
    const auto bytes = bytesOf(s);
    FiberLossLengthSettings back;
    EXPECT_EQ(back.kind(), 4);

    const auto v1 = kx::test::reframe(bytes, 0, 1, bytes.size() - 2, 2);
    ASSERT_EQ(readInto(back, v1), Marshal::ok);
    EXPECT_EQ(back.farEndSourceType, FarEndSourceType::powrelPro);
    EXPECT_EQ(back.fiberTestType, TestType::lossLength);
    const auto v0 = kx::test::reframe(bytes, 0, 0, bytes.size() - 3, 3);
    ASSERT_EQ(readInto(back, v0), Marshal::ok);
    EXPECT_EQ(back.farEndSourceType, FarEndSourceType::notSet);
    EXPECT_EQ(back.numLcConnectors, 2u);

    FiberLossLengthSettings counts;
    counts.numAdapters = 1;
    counts.numLcConnectors = 2;
    counts.numLcLowLossConnectors = 3;
    counts.numLcUltraLowLossConnectors = 4;
    counts.numSplices = 5;
    counts.numMpoConnectors = 6;
    const auto countBytes = bytesOf(counts);
    // header, two empty strings, remote end, cable end, method, connector, bidirectional
    const size_t at = kHeaderBytes + 4 + 5;
    EXPECT_EQ(std::vector<uint8_t>(countBytes.begin() + at, countBytes.begin() + at + 6),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
}

namespace {

Json::Value settingsJson() { return kx::test::lossLengthSettings().toJson(Dump::DumpFlags{1}); }

}  // namespace

TEST(FiberLossLengthSettings, JsonRoundTripDefaultsAndFailures) {
    Json::Value j = settingsJson();
    FiberLossLengthSettings back;
    ASSERT_TRUE(back.fromJson(j));
    EXPECT_EQ(back, kx::test::lossLengthSettings());

    j["FiberLossLengthSettings"].removeMember("biDirectionalEnabled");
    j["FiberLossLengthSettings"].removeMember("numAdapters");
    j["FiberLossLengthSettings"]["referenceMethod"] = "2 JUMPER METHOD";
    FiberLossLengthSettings s;
    ASSERT_TRUE(s.fromJson(j));
    EXPECT_TRUE(s.biDirectionalEnabled);
    EXPECT_EQ(s.numAdapters, 0u);
    EXPECT_EQ(s.referenceMethod, FiberLLRefMethod::twoJumper);

    // What the reader logs is the shared JSON forms' part (FiberJsonForms, LossLengthReaderNamesItsSourceShortly).
    j["FiberLossLengthSettings"]["referenceMethod"] = "4 jumper method";
    EXPECT_FALSE(s.fromJson(j));
    EXPECT_EQ(s.referenceMethod, FiberLLRefMethod::notSet);
    j = settingsJson();
    j["FiberLossLengthSettings"]["cableEnd"] = "End 3";
    EXPECT_FALSE(s.fromJson(j));
    EXPECT_EQ(static_cast<int32_t>(s.cableEnd), -1);
    j = settingsJson();
    j["FiberLossLengthSettings"].removeMember("limitName");
    EXPECT_FALSE(s.fromJson(j));
    EXPECT_EQ(s.fiberName, "OM3 Multimode 50");
    j["FiberLossLengthSettings"]["_className"] = "FiberOtdrSettings";
    EXPECT_FALSE(s.fromJson(j));
    EXPECT_FALSE(s.fromJson(Json::Value("text")));

    // Version 2 data has no LC/MPO counts; version 1 no test type.
    j = settingsJson();
    j["FiberLossLengthSettings"]["_classVersion"] = 1;
    j["FiberLossLengthSettings"]["fiberTestType"] = "nonsense";
    j["FiberLossLengthSettings"]["numLcConnectors"] = 7;
    ASSERT_TRUE(s.fromJson(j));
    EXPECT_EQ(s.numLcConnectors, 0u);
    EXPECT_EQ(s.fiberTestType, TestType::lossLength);
}
