#include "fiber/FiberTesting.h"

#include <sstream>

#include "serialization/SimpleFormatter.h"

namespace {
// Offsets inside a serialized FiberOtdrOverallResults.
constexpr size_t kFailWarningsAt = kHeaderBytes + 1 + 16 + 1 + 8 + 1 + 8 + 1 + 4;
constexpr size_t kModeAt = kFailWarningsAt + 4 + 4 + 8;

std::string dumpText(const Dump::IDumpable& d) {
    std::ostringstream out;
    Dump::SimpleFormatter f(&out);
    d.dump(f, Dump::DumpFlags{1});
    return out.str();
}
}  // namespace

TEST(OtdrOverallResults, OlderVersionsReadWithDefaultsQueriesAndTexts) {
    // Version 3 has no launch compensation mode (don't know); version 1 neither fail warnings nor a
    // temperature (NaN), but its launch compensation time and all four wavelengths.
    auto bytes = bytesOf(kx::test::otdrOverallResults(true));
    bytes[kFailWarningsAt] = 0x40;  // a fail warning, so dropping it shows
    Json::Value versions;
    for (const auto& old : {kx::test::reframe(kx::test::reframe(bytes, 0, 1, kModeAt, 1), 0, 1, kFailWarningsAt, 8),
                            kx::test::reframe(bytes, 0, 3, kModeAt, 1)}) {
        FiberOtdrOverallResults back;
        ASSERT_EQ(readInto(back, old), Marshal::ok);
        versions.append(back.toJson(Dump::DumpFlags{1}));
    }
    kx::test::expectGolden(versions, "FiberOtdrOverallResultsVersions.json");

    FiberOtdrOverallResults o = kx::test::otdrOverallResults(false);
    // Per-wavelength entries stay sorted whatever order they come in.
    auto per = o.perWls();
    std::reverse(per.begin(), per.end());
    o.setPerWls(per);
    EXPECT_EQ(o.getOverallPerWlByIndex(0).wavelength, 1310);
    ASSERT_NE(o.getOverallPerWl(1550), nullptr);
    EXPECT_EQ(o.getOverallPerWl(1383), nullptr);
    FiberOtdrOverallResultsPerWl p = o.getOverallPerWlByIndex(1);
    EXPECT_EQ(p.getMaxOverallLossCheckLimitResult()->limitValueType, FiberLimitValueType::maxOverallLoss);
    p.limitResults.results.push_back(
        kx::test::checkResult(FiberLimitValueType::lengthBasedLossBudget, 2.0f, 0.5f, Status::pass));
    EXPECT_EQ(p.getMaxOverallLossCheckLimitResult()->limitValueType, FiberLimitValueType::lengthBasedLossBudget);

    for (const auto& [quality, text] :
         {std::pair{-3, "NO_SIGNAL"}, {-2, "POOR"}, {1, "WORST"}, {24, "POOR"}, {25, "FAIR"}, {100, "GOOD"}, {101, ""}})
        EXPECT_STREQ(connQualityText(quality), text) << quality;
    EXPECT_STREQ(otdrWarningText(0x30000000), "VirtualLaunchTail");
    EXPECT_STREQ(otdrWarningText(8), "");

    o.warningFlags = 0x4000 | 0x4;
    kx::test::expectGolden(o.toJson(Dump::DumpFlags{1}), "FiberOtdrOverallResults.json");
}

TEST(OtdrPlot, QueriesOnTheTraceAndCountsCheckedBeforeAllocating) {
    FiberOtdrPlot p;
    p.zeroLengthIndex = 10.0f;
    p.nsPerSample = 1.0f;
    p.ir = 1.4682;
    EXPECT_FLOAT_EQ(p.getLength(10.0f), 0.0f);
    EXPECT_NEAR(p.getLength(1010.0f), 204.2, 0.05);

    p.dataPointsScale = 1000;
    p.noiseFloor = -30.0f;
    p.clipLevel = 2.5f;
    p.dataPoints = {-1000, -5000, -20000, -40000};
    EXPECT_FLOAT_EQ(p.getDbByIndex(1), -5.0f);
    EXPECT_FLOAT_EQ(p.getDbByIndex(3), -30.0f);   // below the noise floor
    EXPECT_FLOAT_EQ(p.getDbByIndex(99), -30.0f);  // past the end: the last sample
    p.noiseFloor = -50.0f;
    EXPECT_FLOAT_EQ(p.getDbByIndex(99), -40.0f);
    EXPECT_FLOAT_EQ(p.getMaxDb(1, 3), -5.0f);
    EXPECT_FLOAT_EQ(p.getMaxDb(9, 9), -40.0f);  // from is held to the last sample
    EXPECT_FLOAT_EQ(p.getMaxDb(2, 1), 2.5f);    // empty range
    p.futLeftIndex = 1;
    EXPECT_FLOAT_EQ(p.getMaxDb(0, 4), 2.5f);
    EXPECT_FLOAT_EQ(FiberOtdrPlot().getMaxDb(0, 4), 0.0f);

    // Sample and byte counts are checked before anything is allocated.
    FiberOtdrPlots plots;
    plots.plots.push_back(kx::test::otdrPlot(1310, 8));
    auto bytes = bytesOf(plots);
    FiberOtdrPlots back;
    // The sample count sits just before the samples; claim 2^32 - 1 of them.
    const size_t countAt = bytes.size() - 8 * 4 - 4;
    for (size_t i = 0; i < 4; ++i) bytes[countAt + i] = 0xFF;
    EXPECT_EQ(readInto(back, bytes), Marshal::readError);

    FiberOtdrRawData raw;
    raw.bytes = {1, 2, 3};
    auto rawBytes = bytesOf(raw);
    rawBytes[kHeaderBytes + 3] = 0x7F;
    FiberOtdrRawData rawBack;
    EXPECT_EQ(readInto(rawBack, rawBytes), Marshal::readError);
}

TEST(OtdrPlotDeathTest, EmptyTraceHasNoSample) { EXPECT_DEATH(FiberOtdrPlot().getDbByIndex(0), "dataPoints.empty"); }

TEST(OtdrTest, SectionsReadIntoOneTestLeaveTheOtherPartsAloneJsonDumpAndFiberTestOperations) {
    const FiberOtdrTest t = kx::test::otdrTest(CableEnd::end2, 50);
    using Part = void (FiberOtdrTest::*)(Marshal::IObjectWriter&) const;
    const auto write = [&](Part part) {
        Marshal::ByteStreamBuilder b;
        (t.*part)(b);
        return b.bytes();
    };
    const auto body = write(&FiberOtdrTest::serializeBody);
    const auto plots = write(&FiberOtdrTest::serializePlots);
    const auto raw = write(&FiberOtdrTest::serializeRawData);
    EXPECT_EQ(body[6], 0x09);  // FiberOtdrTestBody
    EXPECT_EQ(bytesOf(FiberOtdrTestBodyRef(t)), body);

    FiberOtdrTest back;
    Marshal::ByteStreamReader rp(plots.data(), static_cast<uint32_t>(plots.size()));
    ASSERT_EQ(back.deserializePlots(rp), Marshal::ok);
    Marshal::ByteStreamReader rb(body.data(), static_cast<uint32_t>(body.size()));
    ASSERT_EQ(back.deserializeBody(rb), Marshal::ok);
    Marshal::ByteStreamReader rr(raw.data(), static_cast<uint32_t>(raw.size()));
    ASSERT_EQ(back.deserializeRawData(rr), Marshal::ok);
    EXPECT_EQ(bytesOf(back), bytesOf(t));

    // The body class reads and writes the body alone; the whole test refuses it.
    FiberOtdrTestBody onlyBody;
    ASSERT_EQ(readInto(onlyBody, body), Marshal::ok);
    EXPECT_TRUE(onlyBody.plots.plots.empty());
    EXPECT_EQ(bytesOf(onlyBody), body);
    FiberOtdrTest whole;
    EXPECT_EQ(readInto(whole, body), Marshal::invalidData);
    EXPECT_TRUE(everyPrefixFails<FiberOtdrTestBody>(body));

    FiberOtdrTest small = kx::test::otdrTest(CableEnd::end1, 20);
    // Samples only at full detail.
    kx::test::expectGolden(small.toJson(Dump::DumpFlags{1}), "FiberOtdrTest.json");
    EXPECT_EQ(small.toJson(Dump::DumpFlags{2})["plots"]["plots"][0]["dataPoints"].size(), 20u);
    EXPECT_FALSE(FiberOtdrTestBody().toJson(Dump::DumpFlags{1}).isMember("plots"));
    kx::test::expectGolden(dumpText(small), "FiberOtdrTest.txt");

    EXPECT_EQ(small.testKind(), FiberTest::Kind::otdr);
    FiberLimit limit;
    Fiber fiber;
    EXPECT_TRUE(small.getLimit(limit));
    EXPECT_EQ(limit.name, "General Fiber RL = 35 dB");
    EXPECT_TRUE(small.getFiber(fiber));
    small.limit.name.clear();
    small.fiber.name.clear();
    EXPECT_FALSE(small.getLimit(limit));
    EXPECT_FALSE(small.getFiber(fiber));
}
