// Margins computed from a record's own tests, against hand computations on generated links, and the stored
// verdict checked against the tests in every combination that disagrees.

#include "tester/record/RecordTesting.h"
#include "copper/LimitBuilders.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/RecordVerdict.h"

namespace {

// The category 6A link with one plot moved to `tenths` of a dB from its limit at grid index `at`, judged again.
CopperTestPtr linkWithDip(CopperTestType type, CableEnd end, WirePair src, WirePair rcv, int at, int tenths) {
    auto test = kx::test::cat6APermanentLinkTest();
    const auto limit = kx::test::gridCurve(
        kx::test::kCat6AMaxKHz, type == CopperTestType::next ? kx::test::cat6APlNextDb : kx::test::cat6APlReturnLossDb);
    for (auto& p : test->plots.plots)
        if (p->testType == type && p->cableEnd == end && p->srcPair == src && p->rcvPair == rcv)
            p->data[static_cast<size_t>(at)] = static_cast<int16_t>(limit[static_cast<size_t>(at)] + tenths);
    test->recertify(test->body.settings.nvp.toFloat());
    return test;
}

std::vector<uint8_t> copperFileStoring(const CopperTestPtr& test, Kestrix::Status stored) {
    return kx::test::copperFile(test, "Cat6A-PL-001", &stored);
}

TEST(RecordMargins, WorstSweptMarginNamesTestPairFrequencyAndEnd) {
    struct Case {
        CopperTestType type;
        CableEnd end;
        WirePair src, rcv;
        int at, tenths;
        const char* expected;
    };
    const Case cases[] = {
        {CopperTestType::next, CableEnd::remote, WirePair::pair2, WirePair::pair3, 700, 2,
         "NEXT 0.2 dB at 191.5 MHz, 36-45, remote"},
        {CopperTestType::rl, CableEnd::main, WirePair::pair4, WirePair::pair4, 500, 1,
         "Return Loss 0.1 dB at 95.8 MHz, 78, main"},
        {CopperTestType::next, CableEnd::main, WirePair::pair1, WirePair::pair2, 900, -3,
         "NEXT -0.3 dB at 333.0 MHz, 12-36, main"},
    };
    for (const Case& c : cases) {
        TestRecordTarvel record(kx::test::copperFile(linkWithDip(c.type, c.end, c.src, c.rcv, c.at, c.tenths)));
        const RecordMargins m = recordMargins(record);
        ASSERT_TRUE(m.worst) << c.expected;
        EXPECT_EQ(describeMargin(*m.worst), c.expected);
        EXPECT_NEAR(m.worst->margin, c.tenths / 10.0, 1e-9);
        EXPECT_EQ(m.worst->negative(), c.tenths < 0);
    }
}

// A fiber loss margin per wavelength and direction is the limit less the loss, the worst one named by its
// wavelength and end: record/golden/losslength.json ("Verdict").

TEST(VerdictCheck, ScalarMarginsAndTheStoredVerdictAgainstTheTests) {
    auto passing = kx::test::cat6APermanentLinkTest();
    auto failing = kx::test::cat6APermanentLinkTest();
    for (auto& s : failing->body.scalars)
        if (s.copperTestType == CopperTestType::resist && s.wirePair == WirePair::pair3) s.value = 31.6f;
    failing->recertify(failing->body.settings.nvp.toFloat());
    {
        // The failing resistance in its own unit; the worst margin stays the smallest dB margin of the swept tests.
        TestRecordTarvel record(kx::test::copperFile(failing));
        const RecordMargins m = recordMargins(record);
        const JudgedFigure* resistance = nullptr;
        for (const JudgedFigure& f : m.figures)
            if (f.testId == 4 && f.pairLabel == "45") resistance = &f;
        ASSERT_NE(resistance, nullptr);
        EXPECT_EQ(describeMargin(*resistance), "Resistance -6.6 ohm (31.6 ohm, maximum 25.0 ohm), 45");
        EXPECT_EQ(resistance->status, 0);
        ASSERT_TRUE(m.worst);
        EXPECT_EQ(m.worst->unit, "dB");
        EXPECT_GT(m.worst->margin, 0);
    }
    // A NEXT below its limit whose record was left saying pass.
    auto passBesideNegative =
        linkWithDip(CopperTestType::next, CableEnd::main, WirePair::pair1, WirePair::pair2, 900, -3);
    for (auto& f : passBesideNegative->body.copperfreqs.freqs)
        if (f.testType == CopperTestType::next) f.status = Kestrix::Status::pass;
    struct Case {
        const char* name;
        CopperTestPtr test;
        Kestrix::Status stored;
        const char* involved;  // "" for no conflict
    };
    const Case cases[] = {
        {"pass stored pass", passing, Kestrix::Status::pass, ""},
        {"pass stored fail", passing, Kestrix::Status::fail, "no test failed"},
        {"fail stored pass", failing, Kestrix::Status::pass, "Resistance FAIL"},
        {"fail stored pass*", failing, Kestrix::Status::passStar, "Resistance FAIL"},
        {"fail stored fail", failing, Kestrix::Status::fail, ""},
        {"pass beside a negative margin", passBesideNegative, Kestrix::Status::pass, "NEXT PASS beside NEXT -0.3 dB"},
    };
    for (const Case& c : cases) {
        TestRecordTarvel record(copperFileStoring(c.test, c.stored));
        const VerdictCheck v = checkVerdict(record, recordMargins(record));
        const bool expected = *c.involved != 0;
        EXPECT_EQ(v.conflict, expected) << c.name << ": " << v.text();
        if (expected) {
            EXPECT_NE(v.text().find(c.involved), std::string::npos) << c.name << ": " << v.text();
        }
        // The host record and the text form say the same.
        const Json::Value j = hostRecordJson(record);
        EXPECT_EQ(j["Verdict"]["VerdictConflict"].isString(), expected) << c.name;
        EXPECT_EQ(verdictText(record).find("Verdict conflict: stored") != std::string::npos, expected) << c.name;
        EXPECT_EQ(verdictConflictOf(record.SerializedResult()), v.text()) << c.name;
    }
}

TEST(RecordDamage, ATruncatedResultNamesWhereItIsCut) {
    std::vector<uint8_t> bytes = copperFileStoring(kx::test::cat6APermanentLinkTest(), Kestrix::Status::fail);
    bytes.resize(3000);
    TestRecordTarvel record(bytes);
    RecordSummary summary;
    ASSERT_TRUE(TestRecordTarvel::LoadSummary(&summary, bytes));
    EXPECT_EQ(recordDamage(record),
              "corrupt container: " + std::string(PFile::toString(PFile::FailureKind::truncated)) + " at byte 3000");
    EXPECT_FALSE(checkVerdict(record, recordMargins(record)).conflict);
    TestRecordTarvel whole(kx::test::cat6AResultFile());
    EXPECT_EQ(recordDamage(whole), "");
}

}  // namespace
