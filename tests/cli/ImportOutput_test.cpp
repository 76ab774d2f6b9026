// index.json names the verdict conflict of each imported record, matched to the record it was written for.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <json/json.h>

#include "ImportOutput.h"
#include "core/TestFiles.h"
#include "tester/RecordFixtures.h"

namespace {

std::vector<uint8_t> copperStoring(Kestrix::Status stored) {
    Kestrix::CopperResult result;
    result.summary.resultType = Kestrix::ResultType::COPPER;
    result.mergeCopperTest(kx::test::cat6APermanentLinkTest(), false);
    result.summary.resultName = "L";
    result.summary.status = stored;
    return Kestrix::CopperResultWriter::writeResult(result);
}

TEST(ImportIndex, NamesTheVerdictConflictOfEachImportedRecord) {
    const std::filesystem::path dir = kx::test::freshFolder("import-index");
    kx::cli::ImportOutput out(dir);
    out.plan({{"P", "", "A", "a.result", 1}, {"P", "", "B", "b.result", 2}, {"P", "", "C", "c.result", 3}});
    out.beginIndex("tester");
    // Written out of order, as the writer threads finish.
    out.write(1, copperStoring(Kestrix::Status::pass), "{}");
    out.write(0, copperStoring(Kestrix::Status::fail), "{}");
    for (int i = 0; i < 3; ++i) {
        Json::Value e(Json::objectValue);
        e["imported"] = i < 2;
        if (i < 2) e["result"] = out.resultPath(static_cast<size_t>(i));
        out.addIndexEntry(e);
    }
    out.endIndex(2, 1);
    Json::Value index;
    std::ifstream in(dir / "index.json");
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &index, nullptr));
    const Json::Value& r = index["records"];
    ASSERT_EQ(r.size(), 3u);
    // A passing link stored as FAIL disagrees with its tests; stored as PASS it does not.
    ASSERT_TRUE(r[0]["verdictConflict"].isString());
    EXPECT_NE(r[0]["verdictConflict"].asString().find("stored FAIL; no test failed"), std::string::npos);
    EXPECT_TRUE(r[1].isMember("verdictConflict"));
    EXPECT_TRUE(r[1]["verdictConflict"].isNull());
    EXPECT_FALSE(r[2].isMember("verdictConflict"));
}

}  // namespace
