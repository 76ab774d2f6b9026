// The fleet: the same seed makes the same records; a re-test keeps its cable id and follows its failure
// on the same day; days are working days.
#include <gtest/gtest.h>

#include <map>

#include "Fleet.h"
#include "common/ResultEnvelope.h"

using namespace Kestrix;
using namespace Kestrix::LinkGen;

namespace {
constexpr int64_t kMonday = 1783296000;  // 2026-07-06
}

TEST(Fleet, RecordsRepeatWithTheSeedAndDifferWithoutIt) {
    Fleet a(5, 3, kMonday), b(5, 3, kMonday), c(6, 3, kMonday);
    bool differs = false;
    for (int i = 0; i < 30; ++i) {
        const FleetRecord x = a.next(), y = b.next(), z = c.next();
        EXPECT_EQ(x.bytes, y.bytes);
        EXPECT_EQ(x.project, static_cast<size_t>(i % 3));
        differs = differs || x.bytes != z.bytes;
    }
    EXPECT_TRUE(differs);
}

TEST(Fleet, RetestsFollowTheirFailureTheSameWorkingDay) {
    Fleet fleet(9, 4, kMonday);
    std::map<std::string, ResultSummary> last;
    int retests = 0;
    for (int i = 0; i < 400; ++i) {
        const FleetRecord r = fleet.next();
        ResultSummary s;
        ASSERT_EQ(readResultSummary(s, r.bytes.data(), static_cast<uint32_t>(r.bytes.size())),
                  ResultReaderStatus::success);
        EXPECT_EQ(s.resultName, r.cableId);
        EXPECT_EQ(s.resultType, r.type);
        // Monday to Friday, 07:30 to 17:30.
        const int64_t day = s.timeStamp / 86400, seconds = s.timeStamp % 86400;
        EXPECT_LT((day + 3) % 7, 5) << s.timeStamp;
        EXPECT_GE(seconds, 7 * 3600 + 1800);
        EXPECT_LE(seconds, 18 * 3600);
        const auto before = last.find(r.cableId);
        if (before != last.end()) {
            ++retests;
            EXPECT_EQ(before->second.status, Status::fail);
            EXPECT_NE(s.status, Status::fail);
            EXPECT_EQ(before->second.timeStamp / 86400, day);
            EXPECT_GT(s.timeStamp, before->second.timeStamp);
        }
        last[r.cableId] = s;
    }
    EXPECT_GT(retests, 0);
    EXPECT_LE(fleet.measuredLinks(), 2 * Fleet::kPoolSize);
}
