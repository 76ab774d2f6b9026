// The copper limit database, the pre-check and recertification of a record against another limit.

#include <functional>
#include <limits>

#include "tester/record/RecordTesting.h"
#include "tester/TesterFixture.h"
#include "copper/CopperResultReader.h"
#include "copper/LimitBuilders.h"
#include "copper/LimitDbBuilders.h"
#include "tester/db/CopperLimitsTbl.h"

namespace {

constexpr float kKeepNvp = std::numeric_limits<float>::quiet_NaN();

struct LimitDbFolder {
    std::filesystem::path dir = kx::test::freshFolder("culim");
    ~LimitDbFolder() { std::filesystem::remove_all(dir); }
    std::string path() const { return dir.string(); }
    void write(const std::vector<uint8_t>& bytes) const {
        kx::test::writeBytes(dir / CopperLimitsTbl::kFileName, bytes);
    }
    void write(const std::vector<CopperLimitsTbl::Row>& rows) const { write(CopperLimitsTbl::writeDatabase(rows)); }
};

std::vector<CopperLimitsTbl::Row> sampleRows() {
    std::vector<CopperLimitsTbl::Row> rows;
    int64_t key = 1;
    for (const CopperLimit& l : kx::test::limitDbLimits()) rows.push_back(CopperLimitsTbl::rowOf(key++, l));
    return rows;
}

CopperTestPtr readTest(const std::vector<uint8_t>& bytes) {
    CopperResult r;
    if (CopperResultReader::readResult(r, bytes.data(), static_cast<uint32_t>(bytes.size())) !=
        ResultReaderStatus::success)
        return nullptr;
    return r.test;
}

}  // namespace

TEST(CopperLimitDb, BadDatabasesAreRefusedWithoutCrashing) {
    TestRecordTarvel record(kx::test::cat6AResultFile());
    LimitDbFolder db;
    EXPECT_FALSE(record.InitSpecDb(db.path(), "V10.2"));  // no file

    db.write(std::vector<uint8_t>(4096, 'x'));  // not SQLite
    EXPECT_FALSE(record.InitSpecDb(db.path(), "V10.2"));

    db.write(std::vector<CopperLimitsTbl::Row>{});  // the table without rows
    EXPECT_FALSE(record.InitSpecDb(db.path(), "V10.2"));

    // Damage to the row that carries the version.
    const std::pair<const char*, void (*)(CopperLimitsTbl::Row&)> damaged[] = {
        {"a NULL object", [](CopperLimitsTbl::Row& r) { r.object = boost::none; }},
        {"a size the compressed bytes cannot reach", [](CopperLimitsTbl::Row& r) { r.origSize = 1 << 30; }},
        {"compressed bytes that do not inflate",
         [](CopperLimitsTbl::Row& r) { (*r.object)[r.object->size() / 2] ^= 0x5A; }},
        {"an object over the cap",
         [](CopperLimitsTbl::Row& r) { r.object = std::vector<uint8_t>(CopperLimitsTbl::kMaxObjectBytes + 1, 0); }},
    };
    for (const auto& [what, damage] : damaged) {
        auto rows = sampleRows();
        damage(rows[0]);
        db.write(rows);
        EXPECT_FALSE(record.InitSpecDb(db.path(), "V10.2")) << what;
    }
    EXPECT_FALSE(record.SpecDbLoaded());

    auto rows = sampleRows();
    // Rows without a compressed size are passed over for the version.
    rows[0].origSize = 0;
    db.write(rows);
    EXPECT_TRUE(record.InitSpecDb(db.path(), "V10.2"));
}

// Only while the asked version of the database is loaded, and only against a limit with a maximum frequency.
TEST(CopperRecertify, NoneWithoutTheDatabaseAndFailureForEmptyBytesOrALimitWithoutMaximumFrequency) {
    TestRecordTarvel record(kx::test::cat6AResultFile());
    EXPECT_FALSE(record.Recertify(record.SerializedResult(), "TIA Cat 5e Perm. Link", kKeepNvp));
    auto rows = sampleRows();
    rows[2].maxFreq = 0;
    LimitDbFolder db;
    db.write(rows);
    EXPECT_FALSE(record.InitSpecDb(db.path(), "V10.1"));
    EXPECT_FALSE(record.SpecDbLoaded());
    ASSERT_TRUE(record.InitSpecDb(db.path(), "V10.2"));
    EXPECT_TRUE(record.SpecDbLoaded());
    const auto empty = record.Recertify({}, "TIA Cat 5e Perm. Link", kKeepNvp);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->rcStatus, 2);
    EXPECT_TRUE(empty->newData.empty());
    EXPECT_EQ(record.Recertify(record.SerializedResult(), "No Such Limit", kKeepNvp)->rcStatus, 2);
    EXPECT_EQ(record.Recertify(kx::test::lossLengthResultFile(), "TIA Cat 5e Perm. Link", kKeepNvp)->rcStatus, 2);
    EXPECT_EQ(record.Recertify(record.SerializedResult(), "TIA Cat 5e Perm. Link", 0.0f)->rcStatus, 2);
    EXPECT_EQ(record.Recertify(record.SerializedResult(), rows[2].name, kKeepNvp)->rcStatus, 2);
    EXPECT_EQ(record.Recertify(record.SerializedResult(), rows[3].name, kKeepNvp)->rcStatus, 0);
    record.CloseSpecDb();
    EXPECT_FALSE(record.SpecDbLoaded());
    EXPECT_FALSE(record.Recertify(record.SerializedResult(), "TIA Cat 6 Perm. Link", kKeepNvp));
}

// Against another limit with a new NVP; and against a limit whose curves make the new result far larger.
TEST(CopperRecertify, AgainstAnotherLimitWithANewNvpAndALimitLargerThanTwiceTheFile) {
    // Pair curves of noise up to 2.5 GHz: far larger, compressed, than the whole original result.
    CopperLimit big = kx::test::limitDbLimits()[0];
    big.name = "Big";
    uint32_t seed = 12345;
    for (int k = 0; k < 12; ++k) {
        std::vector<int16_t> curve(2418);
        for (int16_t& v : curve) {
            seed = seed * 1103515245u + 12345u;
            v = static_cast<int16_t>(200 + (seed >> 16) % 600);
        }
        big.freqLimits.push_back(
            kx::test::freqLimit(CopperFreqLimitType::NEXT, curve, {}, static_cast<PairCombo>(5 + k)));
    }
    auto rows = sampleRows();
    rows.push_back(CopperLimitsTbl::rowOf(99, big));
    LimitDbFolder db;
    db.write(rows);
    const auto original = kx::test::cat6AResultFile();
    TestRecordTarvel record(original);
    ASSERT_TRUE(record.InitSpecDb(db.path(), "V10.2"));
    const auto res = record.Recertify(record.SerializedResult(), "TIA Cat 5e Perm. Link", 69.5f);
    ASSERT_TRUE(res);
    ASSERT_EQ(res->rcStatus, 0);
    EXPECT_EQ(res->testStatus, 4);
    EXPECT_EQ(record.SerializedResult(), original);  // the record's own bytes never change
    const auto test = readTest(res->newData);
    ASSERT_TRUE(test);
    ASSERT_TRUE(test->hasLimit());
    EXPECT_EQ(test->getLimit()->getName(), "TIA Cat 5e Perm. Link");
    EXPECT_EQ(test->getSettings().nvp.value, 695);
    EXPECT_EQ(test->getSettings().nvp.scaledTo, ScaledInt::tenths);
    EXPECT_GT(test->body.timestamp, 1780000000 - 1);
    // Lengths follow the new NVP: 302 ns at 69.5 % is about 62.9 m.
    CopperScalar len;
    ASSERT_TRUE(test->findCopperScalar(len, CopperTestType::length, CableEnd::main, WirePair::pair1, WirePair::notset));
    EXPECT_NEAR(len.value, 302e-9 * 299792448.0 * 0.695, 0.05);

    const auto larger = record.Recertify(original, "Big", kKeepNvp);
    ASSERT_TRUE(larger);
    EXPECT_EQ(larger->rcStatus, 0);
    EXPECT_GT(larger->newData.size(), 2 * original.size());
    const auto bigTest = readTest(larger->newData);
    ASSERT_TRUE(bigTest);
    EXPECT_EQ(bigTest->getLimit()->freqLimits.size(), big.freqLimits.size());
}

// Each refusal alone and in pairs: TwoRefusalsAnswerTheEarlierOne. Here what is not a refusal.
TEST(CopperPreCheck, WhatIsNotARefusal) {
    const CopperLimit cat5e = kx::test::limitDbLimits()[0];
    auto test = kx::test::cat6APermanentLinkTest();
    EXPECT_EQ(TestRecordTarvel::PreCheck(nullptr, &cat5e), 2);
    EXPECT_EQ(TestRecordTarvel::PreCheck(test.get(), nullptr), 2);
    EXPECT_EQ(TestRecordTarvel::PreCheck(test.get(), &cat5e), 0);

    // Without resistance, an AC wiremap still passes the check.
    auto noResist = std::make_shared<CopperTest>(*test);
    std::erase_if(noResist->body.scalars,
                  [](const CopperScalar& s) { return s.copperTestType == CopperTestType::resist; });
    noResist->body.settings.ACWireMapEnabled = true;
    EXPECT_EQ(TestRecordTarvel::PreCheck(noResist.get(), &cat5e), 0);

    CopperLimit withImpedance = cat5e;
    withImpedance.scalarLimits.push_back(
        kx::test::scalarLimit(CopperScalarLimitType::impedance, ScaledInt::raw(115, ScaledInt::ones)));
    withImpedance.scalarLimits.back().isInfoOnly = true;
    EXPECT_EQ(TestRecordTarvel::PreCheck(test.get(), &withImpedance), 0);

    // Only curves for every pair count: a pair's own curve with a missing plot is not looked at.
    CopperLimit withTcl = cat5e;
    withTcl.freqLimits.push_back(kx::test::freqLimit(CopperFreqLimitType::TCL, {100}, {}, PairCombo::p12));
    EXPECT_EQ(TestRecordTarvel::PreCheck(test.get(), &withTcl), 0);
}

// Two refusals at once: the one that comes first in the pre-check's order wins, whichever is found first.
TEST(CopperPreCheck, TwoRefusalsAnswerTheEarlierOne) {
    const CopperLimit cat6a = kx::test::limitDbLimits()[4];
    const auto base = kx::test::cat6APermanentLinkTest();
    ASSERT_EQ(TestRecordTarvel::PreCheck(base.get(), &cat6a), 0);
    const auto withoutScalar = [](CopperTestType type) {
        return [type](CopperTest& t, CopperLimit&) {
            std::erase_if(t.body.scalars, [type](const CopperScalar& s) { return s.copperTestType == type; });
        };
    };
    const auto withoutPlot = [](CopperTestType type) {
        return [type](CopperTest& t, CopperLimit&) {
            std::erase_if(t.plots.plots, [type](const CopperPlotPtr& p) { return p->testType == type; });
        };
    };
    struct Refusal {
        const char* what;
        int status;
        std::function<void(CopperTest&, CopperLimit&)> apply;
    };
    // In the pre-check's order; the missing curves in the order of the limit's entries (the TCL entry is last).
    const std::vector<Refusal> refusals = {
        {"no plot data", 4,
         [](CopperTest& t, CopperLimit&) { t.body.settings.storePlotData = CopperSettings::StorePlotData::off; }},
        {"no resistance", 6, withoutScalar(CopperTestType::resist)},
        {"no resistance unbalance", 7, withoutScalar(CopperTestType::unbalance)},
        {"no pair-to-pair unbalance", 8, withoutScalar(CopperTestType::p2pUnbalance)},
        {"no impedance", 9,
         [](CopperTest&, CopperLimit& l) {
             l.scalarLimits.push_back(
                 kx::test::scalarLimit(CopperScalarLimitType::impedance, ScaledInt::raw(115, ScaledInt::ones)));
         }},
        {"no insertion loss plot", 10, withoutPlot(CopperTestType::il)},
        {"no TCL plot", 14,
         [](CopperTest&, CopperLimit& l) {
             l.freqLimits.push_back(kx::test::freqLimit(CopperFreqLimitType::TCL, {100}, {}, PairCombo::any));
         }},
        {"too few points", 5, [](CopperTest&, CopperLimit& l) { l.maxFreqKHz = 1000000; }},
    };
    for (size_t a = 0; a < refusals.size(); ++a) {
        for (size_t b = a; b < refusals.size(); ++b) {
            auto test = std::make_shared<CopperTest>(*base);
            CopperLimit limit = cat6a;
            refusals[a].apply(*test, limit);
            refusals[b].apply(*test, limit);
            EXPECT_EQ(TestRecordTarvel::PreCheck(test.get(), &limit), refusals[a].status)
                << refusals[a].what << " with " << refusals[b].what;
        }
    }
}
