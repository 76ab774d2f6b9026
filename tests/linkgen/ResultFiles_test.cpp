// Filing a measurement again: the name, times, operator and re-test flag change; the measured curves and
// traces are the same bytes.
#include <gtest/gtest.h>

#include <memory>

#include "CopperLink.h"
#include "OtdrTests.h"
#include "ResultFiles.h"
#include "common/PFile.h"
#include "copper/CopperResultReader.h"
#include "fiber/FiberResultReader.h"

using namespace Kestrix;
using namespace Kestrix::LinkGen;

namespace {

// Payload bytes (as stored, compressed) of every section of a type.
std::vector<std::vector<uint8_t>> sectionsOf(const std::vector<uint8_t>& file, uint16_t type) {
    std::vector<std::vector<uint8_t>> out;
    PFile::MemReader r;
    EXPECT_EQ(r.open(file), 0);
    for (;;) {
        PFile::Section s;
        if (r.read(s, false) != 0) break;
        if (s.type() == type) out.emplace_back(s.data(), s.data() + s.size());
    }
    return out;
}

TestRun crew() {
    TestRun run;
    run.when = 1793700000;
    run.operatorName = "J. Ortega";
    run.main = testersOf(ModuleKind::copper)[0];
    return run;
}

}  // namespace

TEST(Refile, CopperKeepsItsCurvesAndTakesTheNewFiling) {
    CopperLinkDesign design;
    design.lengthM = 33.3;
    const auto original = copperResultFile(measureCopperLink(design, crew()), "POOL");
    const auto again = refile(original, {"D-9", 1793800000, "A. Nakamura", true});
    ASSERT_FALSE(again.empty());
    EXPECT_EQ(sectionsOf(again, PFile::SectionType::CopperPlots),
              sectionsOf(original, PFile::SectionType::CopperPlots));
    CopperResult r;
    ASSERT_EQ(CopperResultReader::readResult(r, again.data(), static_cast<uint32_t>(again.size())),
              ResultReaderStatus::success);
    EXPECT_EQ(r.summary.resultName, "D-9");
    EXPECT_EQ(r.summary.timeStamp, 1793800000);
    EXPECT_EQ(r.test->body.timestamp, 1793800000);
    EXPECT_EQ(r.test->body.operatorName, "A. Nakamura");
    EXPECT_TRUE(r.test->body.retest);
    EXPECT_EQ(r.summary.status, r.test->body.status);
}

TEST(Refile, FiberTestTimesMoveTogether) {
    FiberLinkDesign link;
    link.lengthM = 700.0;
    link.splices = 1;
    TestRun one = crew(), two = crew();
    one.main = two.main = testersOf(ModuleKind::otdr)[0];
    one.when = two.when - 1800;
    FiberResult r = fiberResult("POOL", two.when);
    r.addTest(std::make_unique<FiberOtdrTest>(measureOtdr(FiberLink(link), CableEnd::end1, {}, one, 1)));
    r.addTest(std::make_unique<FiberOtdrTest>(measureOtdr(FiberLink(link), CableEnd::end2, {}, two, 2)));
    const auto original = fiberResultFile(r);
    const auto again = refile(original, {"F-1", two.when + 86400, "R. Osei", false});
    EXPECT_EQ(sectionsOf(again, 301), sectionsOf(original, 301));  // the end-1 traces
    FiberResult back;
    ASSERT_EQ(FiberResultReader::readResult(back, again.data(), static_cast<uint32_t>(again.size())),
              ResultReaderStatus::success);
    EXPECT_EQ(back.summary.resultName, "F-1");
    EXPECT_EQ(back.getTest(FiberTestType::otdrEnd1)->summary.timestamp, one.when + 86400);
    EXPECT_EQ(back.getTest(FiberTestType::otdrEnd2)->summary.timestamp, two.when + 86400);
    EXPECT_EQ(back.getTest(FiberTestType::otdrEnd2)->summary.operatorName, "R. Osei");
    EXPECT_TRUE(refile({1, 2, 3}, {"X", 0, "", false}).empty());
}
