// `kestrix recertify` of many results: new files in a copy of the folder layout, each change of status named,
// totals, originals never overwritten, exit 1 when any result could not be judged.
#include <set>

#include "CliTesting.h"

#include "copper/CopperBuilders.h"
#include "copper/LimitDbBuilders.h"
#include "fiber/OtdrBuilders.h"
#include "tester/db/CopperLimitsTbl.h"

namespace {

class RecertifyMany : public ::testing::Test {
protected:
    void SetUp() override {
        dir = kx::test::freshFolder("recertify-many");
        kx::test::writeBytes(dir / "in/ProjA/Site1/a.result", kx::test::cat6AResultFile());
        kx::test::writeText(dir / "in/ProjA/Site1/a.json",
                            R"({"RecordMetaData": {"Project": "ProjA", "Site": "Site1"}})");
        kx::test::writeBytes(dir / "in/ProjA/b.result", kx::test::cat6AResultFile());
        kx::test::writeBytes(dir / "in/ProjA/o.result", kx::test::otdrResultFile(100));
        kx::test::writeText(dir / "in/bad.result", "not a result");
        std::vector<Kestrix::Tester::CopperLimitsTbl::Row> rows;
        int64_t key = 1;
        for (const auto& l : kx::test::limitDbLimits()) {
            rows.push_back(Kestrix::Tester::CopperLimitsTbl::rowOf(key++, l));
            if (l.name != "TIA Cat 6A Perm. Link") continue;
            // A site rule stricter than the standard: links of at most 50 m.
            Kestrix::CopperLimit strict = l;
            strict.name = "Site Rule 6A PL 50 m";
            for (auto& s : strict.scalarLimits)
                if (s.type == Kestrix::CopperScalarLimitType::length)
                    s.maxValue = Kestrix::ScaledInt::raw(500, Kestrix::ScaledInt::tenths);
            rows.push_back(Kestrix::Tester::CopperLimitsTbl::rowOf(key++, strict));
        }
        kx::test::writeBytes(dir / "db" / Kestrix::Tester::CopperLimitsTbl::kFileName,
                             Kestrix::Tester::CopperLimitsTbl::writeDatabase(rows));
    }
    void TearDown() override { fs::remove_all(dir); }

    kx::test::ToolRun recertify(const fs::path& out) {
        return kx::test::runTool(KESTRIX_EXE,
                                 {"recertify", (dir / "in").string(), "--out", out.string(), "--limit-db",
                                  (dir / "db").string(), "--limit", "Site Rule 6A PL 50 m"},
                                 dir.string());
    }

    fs::path dir;
};

TEST_F(RecertifyMany, NewFilesInTheInputsLayoutWithEachChangeNamedAndOriginalsKept) {
    const auto before = kx::test::readText(dir / "in/ProjA/Site1/a.result");
    const auto r = recertify(dir / "out");
    EXPECT_EQ(r.code, 1) << r.err;
    // The change names what fails (a length, in metres), not the worst margin in dB.
    const std::string change =
        "Cat6A-PL-001: PASS -> FAIL, Length -8.7 m (63.7 m, maximum 55.0 m = 50.0 m + 10 %), 78\n";
    EXPECT_EQ(r.out, change + change +
                         "2 results judged again: 2 changed (2 PASS -> FAIL), 0 unchanged; 1 not copper, left out; 1 "
                         "could not be judged\n");
    EXPECT_EQ(r.firstErrorLine(), "kestrix: " + (dir / "in/bad.result").string() + ": not a readable result file");
    EXPECT_NE(r.err.find("kestrix: 1 of 4 results could not be judged"), std::string::npos) << r.err;
    // New results of the copper inputs only, and a host record only beside the one that had it.
    std::set<std::string> written;
    for (const auto& e : fs::recursive_directory_iterator(dir / "out"))
        if (e.is_regular_file()) written.insert(fs::relative(e.path(), dir / "out").string());
    EXPECT_EQ(written, (std::set<std::string>{"ProjA/Site1/a.json", "ProjA/Site1/a.result", "ProjA/b.result"}));
    EXPECT_EQ(kx::test::readText(dir / "in/ProjA/Site1/a.result"), before);
    EXPECT_NE(kx::test::readText(dir / "out/ProjA/Site1/a.result"), before);
    // The host record beside the new file: the new status, the project and site of the old one.
    const Json::Value host = kx::test::parseJson(kx::test::readText(dir / "out/ProjA/Site1/a.json"));
    EXPECT_EQ(host["RecordSummary"]["Status"].asInt(), 0);
    EXPECT_EQ(host["RecordSummary"]["StatusName"].asString(), "FAIL");
    EXPECT_EQ(host["RecordMetaData"]["Project"].asString(), "ProjA");
    EXPECT_EQ(host["RecordMetaData"]["Site"].asString(), "Site1");

    // Written into the input folder, no original is overwritten.
    const auto inPlace = recertify(dir / "in");
    EXPECT_EQ(inPlace.code, 1);
    EXPECT_NE(inPlace.err.find("the new file would replace the original"), std::string::npos) << inPlace.err;
    EXPECT_EQ(kx::test::readText(dir / "in/ProjA/Site1/a.result"), before);
}

}  // namespace
