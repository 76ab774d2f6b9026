// The links table's selection: each filter, the search, sorting with re-tests kept together, pages, and the
// CSV of a selection.
#include "ServeTesting.h"

#include <algorithm>

#include "Selection.h"
#include "tester/report/Export.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kNov3 = 1793664000;  // 2026-11-03 00:00 UTC

class SelectionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = kx::test::freshFolder("serve-selection");
        kx::test::writeImportFolder(dir, {
                                             {"Campus", "B1", "D-101", StockKind::copperPass, kNov3 + 100},
                                             {"Campus", "B1", "D-102", StockKind::copperFail, kNov3 + kDay},
                                             {"Campus", "B2", "d-103", StockKind::lossLength, kNov3 + 2 * kDay},
                                             {"Harbor", "", "=cmd|' /C calc'!A0", StockKind::copperPass, kNov3},
                                             {"Campus", "B1", "D-102", StockKind::copperPass, kNov3 + 3 * kDay},
                                         });
        lib = Library::load({dir.string()}, ids, error);
        ASSERT_TRUE(lib) << error;
        for (size_t p = 0; p < lib->size(); ++p) {
            if (p == 2) continue;  // still being read
            RecordFacts f;
            f.row.cableId = lib->records()[p].cableId;
            f.row.status = lib->records()[p].status;
            f.row.limit = p == 3 ? "Other limit" : "TIA Cat 6A Perm. Link";
            Kestrix::Tester::JudgedFigure worst;
            worst.test = "NEXT";
            worst.unit = "dB";
            worst.margin = static_cast<double>(p);
            f.row.worst = worst;
            lib->setFacts(p, f);
        }
    }
    static void TearDownTestSuite() { lib.reset(); }

    static std::vector<std::string> cables(const std::string& query) {
        const SelectionResult r = select(*lib, Selection::fromQuery(Params::parse(query)));
        std::vector<std::string> out;
        for (const auto& g : r.groups)
            for (size_t p : g) out.push_back(lib->records()[p].cableId + "@" + std::to_string(p));
        return out;
    }

    static inline fs::path dir;
    static inline RecordIds ids;
    static inline std::string error;
    static inline std::shared_ptr<Library> lib;
};

TEST_F(SelectionTest, FiltersSearchAndSortingThatKeepsReTestsTogether) {
    const struct {
        const char* query;
        std::vector<std::string> expected;  // newest first unless sorted otherwise
    } cases[] = {
        {"status=fail", {"d-103@2", "D-102@1"}},
        {"q=D-10", {"D-102@4", "D-102@1", "d-103@2", "D-101@0"}},
        {"q=d-102&status=pass", {"D-102@4"}},
        {"from=2026-11-04&to=2026-11-05", {"d-103@2", "D-102@1"}},
        {"from=2026-11-03&to=2026-11-03", {"D-101@0", "=cmd|' /C calc'!A0@3"}},
        {"project=Campus&site=B2", {"d-103@2"}},
        {"limit=Other limit", {"=cmd|' /C calc'!A0@3"}},
        {"status=bogus&sort=nonsense&page=-1", {"D-102@4", "D-102@1", "d-103@2", "D-101@0", "=cmd|' /C calc'!A0@3"}},
        // Sorted, re-tests stay together latest first.
        {"sort=cable&dir=asc", {"=cmd|' /C calc'!A0@3", "D-101@0", "D-102@4", "D-102@1", "d-103@2"}},
        {"sort=margin&dir=desc", {"D-102@4", "D-102@1", "=cmd|' /C calc'!A0@3", "D-101@0", "d-103@2"}},
    };
    for (const auto& c : cases) EXPECT_EQ(cables(c.query), c.expected) << c.query;
    EXPECT_EQ(cables("sort=margin&dir=asc").back(), "d-103@2");  // unknown margins last either way
    // Records still being read are counted when a filter needs them.
    const SelectionResult r = select(*lib, Selection::fromQuery(Params::parse("limit=TIA Cat 6A Perm. Link")));
    EXPECT_EQ(r.records, 3u);
    EXPECT_EQ(r.unknownFacts, 1u);
}

TEST_F(SelectionTest, QueryRoundTripsAndPages) {
    const Selection s = Selection::fromQuery(Params::parse("q=x&status=fail&sort=cable&dir=desc&page=3&folder=0"));
    const Selection again = Selection::fromQuery(s.toQuery());
    EXPECT_EQ(again.toQuery().encode(), s.toQuery().encode());
    EXPECT_EQ(again.page, 3u);
    EXPECT_EQ(again.folder, 0);
    SelectionResult big;
    big.groups.resize(Selection::kGroupsPerPage + 1);
    EXPECT_EQ(big.pages(), 2u);
    EXPECT_EQ(SelectionResult().pages(), 1u);
}

// The columns of `kestrix export`: a formula stays text, and a record not decoded yet has what the index gives.
TEST_F(SelectionTest, CsvIsTheExportOfTheSelection) {
    const auto csvOf = [](const std::string& query) {
        std::string csv = selectionCsv(*lib, select(*lib, Selection::fromQuery(Params::parse(query))));
        for (size_t at = csv.find(dir.string()); at != std::string::npos; at = csv.find(dir.string()))
            csv.replace(at, dir.string().size(), "DIR");
        return csv;
    };
    kx::test::expectGolden(csvOf("project=Harbor"), "selection-harbor.csv");
    kx::test::expectGolden(csvOf("project=Campus&site=B2"), "selection-unread.csv");
}

}  // namespace
