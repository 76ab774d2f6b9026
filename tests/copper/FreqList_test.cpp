#include "copper/CopperTesting.h"

namespace {

using T = CopperTestType;

CopperFreq record(CopperTestType t, CableEnd e, WirePair s, WirePair r, Status st, int32_t wm) {
    CopperFreq f;
    f.testType = t;
    f.cableEnd = e;
    f.srcPair = s;
    f.rcvPair = r;
    f.status = st;
    f.wmValue = ScaledInt::raw(wm, ScaledInt::tenths);
    f.wmLimit = ScaledInt::raw(300, ScaledInt::tenths);
    f.wmLocation = 250000;
    f.wvValue = ScaledInt::raw(wm - 5, ScaledInt::tenths);
    f.wvLimit = ScaledInt::raw(280, ScaledInt::tenths);
    f.wvLocation = 500000;
    f.limitType = CopperFreqLimitType::NEXT;
    return f;
}

CopperFreqList sampleList() {
    CopperFreqList l;
    l.freqs.push_back(record(T::next, CableEnd::main, P1, P2, Status::pass, 350));
    l.freqs.push_back(record(T::next, CableEnd::remote, P1, P3, Status::fail, 290));
    l.freqs.push_back(record(T::il, CableEnd::main, P1, WirePair::notset, Status::passStar, 400));
    return l;
}
}  // namespace

// Its framing and round trip are in the framed objects' table.
TEST(CopperFreqList, RecordLayoutBadRecordsAndCounts) {
    const auto bytes = bytesOf(sampleList());
    // Header, count, then 39 bytes per record.
    ASSERT_EQ(bytes.size(), 12u + 4u + 3u * 39u);
    EXPECT_EQ(bytes[16], 0x00);  // record version
    EXPECT_EQ(bytes[17], 16);    // next

    // A bad record keeps the ones before it.
    auto badVersion = bytes;
    badVersion[16 + 39] = 1;  // second record's version
    CopperFreqList back;
    EXPECT_EQ(readInto(back, badVersion), Marshal::versionTooNew);
    EXPECT_EQ(back.freqs.size(), 1u);

    auto huge = bytes;
    kx::test::put32(huge, 12, 0x7FFFFFFF);
    EXPECT_EQ(readInto(back, huge), Marshal::readError);
    // A count of zero or less is an empty list.
    for (int32_t count : {0, -5}) {
        auto counted = bytesOf(CopperFreqList{});
        kx::test::put32(counted, kHeaderBytes, static_cast<uint32_t>(count));
        CopperFreqList list = sampleList();
        EXPECT_EQ(readInto(list, counted), Marshal::ok);
        EXPECT_TRUE(list.freqs.empty());
        EXPECT_EQ(list.worstStatus(), Status::notSet);
        EXPECT_TRUE(list.worstMargin().isNaN());
    }
}

TEST(CopperFreqList, LookupsWorstStatusWorstMarginsAndJsonWithDistancesOnlyForTdr) {
    CopperFreqList list = sampleList();
    CopperFreq out;
    out.wmLocation = -1;
    EXPECT_FALSE(list.findFreq(out, T::next, CableEnd::main, P1, P3));
    EXPECT_EQ(out.wmLocation, -1);
    ASSERT_TRUE(list.findFreq(out, T::next, CableEnd::remote, P1, P3));
    EXPECT_EQ(out.status, Status::fail);
    EXPECT_TRUE(list.hasFreq(T::il, CableEnd::main));
    EXPECT_FALSE(list.hasFreq(T::il, CableEnd::remote));
    EXPECT_EQ(list.worstStatus(), Status::fail);
    EXPECT_EQ(list.worstStatus(T::il), Status::passStar);
    EXPECT_EQ(list.worstStatus(T::rl), Status::notSet);
    // Pass acceptable ranks below Pass star although its bit is higher.
    EXPECT_EQ(mergeStatus(Status::passAcceptable, Status::passStar), Status::passStar);
    EXPECT_EQ(mergeStatus(Status::passStar, Status::passAcceptable), Status::passStar);
    EXPECT_EQ(mergeStatus(Status::show, Status::dontShow), Status::show);
    EXPECT_EQ(mergeStatus(Status::failStar, Status::fail), Status::fail);

    list = CopperFreqList();
    list.freqs.push_back(record(T::next, CableEnd::main, P1, P2, Status::show, 120));
    list.freqs.push_back(record(T::next, CableEnd::main, P1, P3, Status::show, 80));
    EXPECT_EQ(list.worstMargin(), ScaledInt::raw(80, ScaledInt::tenths));
    list.freqs.push_back(record(T::next, CableEnd::main, P1, P4, Status::pass, 500));
    list.freqs.push_back(record(T::next, CableEnd::main, P2, P3, Status::dontShow, 1));
    EXPECT_EQ(list.worstMargin(), ScaledInt::raw(500, ScaledInt::tenths));

    CopperFreq next = record(T::next, CableEnd::main, P1, P2, Status::pass, 350);
    EXPECT_EQ(next.getWmMargin(), ScaledInt::raw(50, ScaledInt::tenths));
    CopperFreq il = next;
    il.testType = T::il;
    EXPECT_EQ(il.getWmMargin(), ScaledInt::raw(-50, ScaledInt::tenths));
    CopperFreq tdr = next;
    tdr.testType = T::tdr;
    tdr.wvValue = ScaledInt::raw(-100, ScaledInt::tenths);
    EXPECT_EQ(tdr.getWmMargin(), ScaledInt::raw(180, ScaledInt::tenths));
    EXPECT_EQ(tdr.getWvMargin(), ScaledInt::raw(180, ScaledInt::tenths));

    tdr = next;
    tdr.testType = T::tdr;
    tdr.wmLocation = 123;
    Json::Value doc;
    doc["next"] = next.jsonBody(Dump::DumpFlags{});
    doc["tdr"] = tdr.jsonBody(Dump::DumpFlags{});
    doc["list"] = sampleList().toJson(Dump::DumpFlags{});
    kx::test::expectGolden(doc, "CopperFreq.json");
}
