// The sample copper limit database: its curves are the standards' formulas (checked against published
// table values), channels are never stricter than permanent links, and the dB rules are set.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "CopperFormulas.h"
#include "CopperLimits.h"
#include "copper/CopperUtil.h"
#include "core/TestFiles.h"
#include "tester/db/CopperLimitsTbl.h"

using namespace Kestrix;
using namespace Kestrix::LinkGen;
using Kestrix::Tester::CopperLimitsTbl;

namespace {

// The database as the samples hold it, written and read back through the tester's own table.
const std::map<std::string, CopperLimit>& database() {
    static const std::map<std::string, CopperLimit> limits = [] {
        std::vector<CopperLimitsTbl::Row> rows;
        int64_t key = 1;
        for (const CopperLimit& l : limitDatabase()) rows.push_back(CopperLimitsTbl::rowOf(key++, l));
        const auto dir = kx::test::freshFolder("culim");
        const auto path = dir / CopperLimitsTbl::kFileName;
        const auto bytes = CopperLimitsTbl::writeDatabase(rows);
        kx::test::writeBytes(path, bytes);
        std::map<std::string, CopperLimit> out;
        CopperLimitsTbl t;
        EXPECT_EQ(t.Open(path.string()), 0);
        for (bool row = t.MoveFirst(); row; row = t.MoveNext()) {
            CopperLimit l;
            EXPECT_TRUE(t.openLimit(l)) << t.name();
            out[l.name] = l;
        }
        t.Close();
        std::filesystem::remove_all(dir);
        return out;
    }();
    return limits;
}

const CopperFreqLimit& curve(const CopperLimit& l, CopperFreqLimitType type) {
    for (const auto& c : l.freqLimits)
        if (c.freqLimitType == type) return c;
    ADD_FAILURE() << l.name << " has no curve of type " << static_cast<int>(type);
    static const CopperFreqLimit none;
    return none;
}

double at(const CopperLimit& l, CopperFreqLimitType type, double mhz) {
    const auto& c = curve(l, type);
    const auto i = static_cast<size_t>(kHzToIdx(static_cast<int>(mhz * 1000.0)));
    return i < c.limitCurve.size() ? c.limitCurve[i] / 10.0 : NAN;
}

const Grade kGrades[] = {
    {Category::cat5e, Standard::tia, LinkClass::permanentLink}, {Category::cat5e, Standard::tia, LinkClass::channel},
    {Category::cat6, Standard::tia, LinkClass::permanentLink},  {Category::cat6, Standard::tia, LinkClass::channel},
    {Category::cat6A, Standard::tia, LinkClass::permanentLink}, {Category::cat6A, Standard::tia, LinkClass::channel},
    {Category::cat6A, Standard::iso, LinkClass::permanentLink}, {Category::cat6A, Standard::iso, LinkClass::channel},
};

using T = CopperFreqLimitType;

TEST(LimitDbFormulas, CurvesAreTheFormulasAtEveryCheckedFrequency) {
    ASSERT_EQ(database().size(), 9u);
    for (const Grade& g : kGrades) {
        const auto found = database().find(limitName(g));
        ASSERT_NE(found, database().end()) << limitName(g);
        const CopperLimit& l = found->second;
        EXPECT_EQ(l.maxFreqKHz, static_cast<int32_t>(maxFrequencyMHz(g.category) * 1000));
        for (double f : {1.0, 10.0, 100.0, 250.0, 500.0}) {
            if (f > maxFrequencyMHz(g.category)) continue;
            EXPECT_NEAR(at(l, T::IL, f), insertionLossDb(g, f), 0.051) << l.name << " " << f;
            EXPECT_NEAR(at(l, T::NEXT, f), nextDb(g, f), 0.051) << l.name << " " << f;
            EXPECT_NEAR(at(l, T::PSNEXT, f), psNextDb(g, f), 0.051) << l.name << " " << f;
            EXPECT_NEAR(at(l, T::ELFEXT, f), acrFDb(g, f), 0.051) << l.name << " " << f;
            EXPECT_NEAR(at(l, T::PSELFEXT, f), psAcrFDb(g, f), 0.051) << l.name << " " << f;
            EXPECT_NEAR(at(l, T::RL, f), returnLossDb(g, f), 0.051) << l.name << " " << f;
        }
        // The 3 dB and 4 dB rules.
        EXPECT_TRUE(l.do3dbRuleRl && l.do4dbRuleNext) << l.name;
    }
}

TEST(LimitDbFormulas, FormulasGiveThePublishedTableValues) {
    const auto& db = database();
    const Grade cat5eCh{Category::cat5e, Standard::tia, LinkClass::channel};
    const Grade cat5ePl{Category::cat5e, Standard::tia, LinkClass::permanentLink};
    const Grade cat6Ch{Category::cat6, Standard::tia, LinkClass::channel};
    const Grade cat6APl{Category::cat6A, Standard::tia, LinkClass::permanentLink};
    const Grade cat6ACh{Category::cat6A, Standard::tia, LinkClass::channel};
    const Grade eaCh{Category::cat6A, Standard::iso, LinkClass::channel};
    const struct {
        Grade g;
        T type;
        double mhz, db;
    } published[] = {
        {cat5eCh, T::IL, 100, 24.0},  {cat5eCh, T::NEXT, 100, 30.1}, {cat5eCh, T::RL, 100, 10.0},
        {cat5ePl, T::IL, 100, 21.0},  {cat5ePl, T::NEXT, 100, 32.3}, {cat5ePl, T::RL, 100, 12.0},
        {cat6Ch, T::NEXT, 250, 33.1}, {cat6Ch, T::RL, 250, 8.0},     {cat6ACh, T::RL, 500, 6.0},
        {cat6APl, T::RL, 500, 8.0},   {eaCh, T::IL, 500, 49.3},      {eaCh, T::NEXT, 500, 27.9},
    };
    for (const auto& p : published)
        EXPECT_NEAR(at(db.at(limitName(p.g)), p.type, p.mhz), p.db, 0.1) << limitName(p.g) << " " << p.mhz;
}

TEST(LimitDbFormulas, AChannelIsNeverStricterThanItsPermanentLink) {
    for (size_t k = 0; k < std::size(kGrades); k += 2) {
        const CopperLimit& pl = database().at(limitName(kGrades[k]));
        const CopperLimit& ch = database().at(limitName(kGrades[k + 1]));
        for (T type : {T::IL, T::NEXT, T::PSNEXT, T::ELFEXT, T::PSELFEXT, T::RL}) {
            const auto& a = curve(pl, type).limitCurve;
            const auto& b = curve(ch, type).limitCurve;
            ASSERT_EQ(a.size(), b.size());
            size_t looser = 0;
            for (size_t i = 0; i < a.size(); ++i) {
                // Insertion loss is an upper bound: a channel may lose more. The rest are lower bounds.
                if (type == T::IL) {
                    EXPECT_GE(b[i], a[i]) << ch.name << " " << idxToKHz(static_cast<int>(i));
                    looser += b[i] > a[i];
                } else {
                    EXPECT_LE(b[i], a[i])
                        << ch.name << " " << static_cast<int>(type) << " at " << idxToKHz(static_cast<int>(i));
                    looser += b[i] < a[i];
                }
            }
            EXPECT_GT(looser, a.size() / 2) << ch.name << " " << static_cast<int>(type);
        }
        EXPECT_GT(ch.scalarLimits.front().maxValue, pl.scalarLimits.front().maxValue);  // 100 m against 90 m
    }
}

}  // namespace
