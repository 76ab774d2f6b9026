#include "copper/CopperTesting.h"

#include <algorithm>

namespace {

CopperSettings sampleSettings() {
    CopperSettings s;
    s.nvp = ScaledInt::raw(695, ScaledInt::tenths);
    s.cableTypeName = "Cat 6A U/FTP";
    s.outletConfiguration = "T568B";
    s.testLimitName = "TIA Cat 6A Perm. Link";
    s.shieldTest = true;
    s.bidiTestEnabled = true;
    s.ACWireMapEnabled = true;
    s.copperDoTDXTDR = CopperSettings::DoTdxTdr::always;
    s.storePlotData = CopperSettings::StorePlotData::extended;
    return s;
}

// A small test with a fault, a diagnostic event and scalars, for sweeps that read every prefix.
CopperTest smallTest() {
    CopperTest t;
    t.body.copperTestType = CopperTestType::autoTest;
    t.body.status = Status::fail;
    t.body.operatorName = "op";
    t.body.settings = sampleSettings();
    t.body.outletConfig = kx::test::t568bOutlet({1, 2});
    t.body.wiremap = kx::test::straightThroughWiremap();
    t.body.scalars = {scalar(CopperTestType::length, P1, 12.5f, ScaledInt::tenths),
                      scalar(CopperTestType::length, P2, 12.0f, ScaledInt::tenths)};
    FaultInfoEvent ev;
    ev.type = 4;
    ev.priority = FaultInfoEvent::Priority::primary;
    ev.location = 120;
    t.body.faultInfo.faults.push_back(ev);
    DiagEvent de;
    de.failureType = DiagEvent::FailureType::badPoint;
    de.begin = 1.5f;
    de.end = 2.0f;
    de.failures.push_back(DiagFailure{});
    de.failures[0].dfPinPair1 = 14;
    de.failures[0].value = -3;
    t.body.diagRes.events.push_back(de);
    t.body.useDiagRes = true;
    t.body.reserved = -2;
    t.plots.plots = {samplePlot(CopperTestType::tdr, CableEnd::main, P1, P1, {1, 2, 3})};
    return t;
}

std::vector<uint8_t> settingsV0() {
    Marshal::ByteStreamBuilder b;
    b.write(uint8_t{0});
    b.write(true);
    b.write(false);
    b.write(std::string("cable"));
    b.write(uint8_t{2});
    b.write(uint8_t{1});
    ScaledInt::raw(690, ScaledInt::tenths).serialize(b);
    b.write(std::string("568A"));
    b.write(std::string("limit"));
    return b.bytes();
}

}  // namespace

TEST(CopperTestSettings, BytesJsonAndVersionZero) {
    const CopperSettings s = sampleSettings();
    const auto bytes = bytesOf(s);
    CopperSettings back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_EQ(Dump::toJsonString(back, Dump::detailLevel(1), true), Dump::toJsonString(s, Dump::detailLevel(1), true));
    EXPECT_TRUE(everyPrefixFails<CopperSettings>(bytes));
    EXPECT_EQ(back.kind(), 3);

    // Version 0: no bidirectional test, AC wiremap on, TDX/TDR never, standard plot data.
    CopperSettings v0;
    v0.bidiTestEnabled = true;
    ASSERT_EQ(readInto(v0, settingsV0()), Marshal::ok);
    kx::test::expectGolden(v0.toJson(Dump::detailLevel(1)), "CopperSettingsV0.json");

    auto v2 = bytes;
    v2[0] = 2;
    EXPECT_EQ(readInto(back, v2), Marshal::versionTooNew);

    const Json::Value j = s.toJson(Dump::detailLevel(1));
    kx::test::expectGolden(j, "CopperSettings.json");
    back = CopperSettings();
    ASSERT_TRUE(back.fromJson(j));
    EXPECT_EQ(bytesOf(back), bytesOf(s));

    Json::Value odd = j;
    odd["CopperSettings"]["copperDoTDXTDR"] = "Sometimes";
    odd["CopperSettings"]["storePlotData"] = "Plenty";
    ASSERT_TRUE(back.fromJson(odd));
    EXPECT_EQ(back.copperDoTDXTDR, CopperSettings::DoTdxTdr::never);
    EXPECT_EQ(back.storePlotData, CopperSettings::StorePlotData::null);

    Json::Value missing = j;
    missing["CopperSettings"].removeMember("shieldTest");
    EXPECT_FALSE(back.fromJson(missing));
    EXPECT_EQ(back.testLimitName, s.testLimitName);  // reading goes on
    EXPECT_FALSE(back.fromJson(Json::Value(Json::objectValue)));
}

TEST(CopperTestCable, OldDatabasesUsedTheCategory8CodeForCoax) {
    const auto readWith = [](uint16_t major, uint16_t minor) {
        CopperCable c;
        c.name = "cable";
        c.catId = CopperCable::CatId::cat8;
        c.dbPkgMfstSummary.customerVersion.major = major;
        c.dbPkgMfstSummary.customerVersion.minor = minor;
        CopperCable back;
        EXPECT_EQ(readInto(back, bytesOf(c)), Marshal::ok);
        return back.catId;
    };
    EXPECT_EQ(readWith(7, 0), CopperCable::CatId::coax);
    EXPECT_EQ(readWith(7, 1), CopperCable::CatId::cat8);
    // Compared as numbers: version 10 is newer than 7.1.
    EXPECT_EQ(readWith(10, 2), CopperCable::CatId::cat8);
    EXPECT_EQ(readWith(6, 12), CopperCable::CatId::coax);

    CopperCable c;
    c.catId = CopperCable::CatId::cat6A;
    c.copperShield = CopperCable::Shield::SFUTP;
    EXPECT_TRUE(everyPrefixFails<CopperCable>(bytesOf(c)));
    EXPECT_EQ(c.toJson(Dump::detailLevel(1))["CopperCable"]["copperShield"].asString(), "SF/UTP");
}

TEST(CopperTestBodyStream, RoundTripKeepsDiagnosticsFaultsAndALimitTheirTextsAndQueries) {
    const CopperTest t = smallTest();
    const auto bytes = bytesOf(t);
    CopperTest back;
    ASSERT_EQ(readInto(back, bytes), Marshal::ok);
    EXPECT_EQ(bytesOf(back), bytes);
    EXPECT_FALSE(back.hasLimit());

    // With a limit, which copies own.
    CopperTest limited = smallTest();
    limited.body.limit = std::make_shared<CopperLimit>(kx::test::cat6APermanentLinkLimit());
    ASSERT_EQ(readInto(back, bytesOf(limited)), Marshal::ok);
    ASSERT_TRUE(back.hasLimit());
    EXPECT_EQ(back.getLimit()->name, "TIA Cat 6A Perm. Link");
    EXPECT_EQ(back.getLimit()->freqLimits.size(), 3u);
    CopperTest copy = back;
    copy.body.limit->name = "other";
    EXPECT_EQ(back.getLimit()->name, "TIA Cat 6A Perm. Link");

    // Diagnostic and fault texts; both lists refuse every prefix.
    EXPECT_STREQ(diagElementText(13), "pin shield");
    EXPECT_STREQ(diagElementText(25), "pair combo 43");
    EXPECT_STREQ(diagElementText(26), "");
    EXPECT_STREQ(faultTypeText(15), "Analyzer Error");
    EXPECT_STREQ(faultTypeText(16), "");
    EXPECT_TRUE(everyPrefixFails<DiagRes>(bytesOf(t.body.diagRes)));
    EXPECT_TRUE(everyPrefixFails<FaultInfoResult>(bytesOf(t.body.faultInfo)));
    kx::test::expectGolden(t.body.faultInfo.toJson(Dump::detailLevel(1)), "FaultInfo.json");

    // Queries on scalars, statuses, plot data and distances.
    CopperTest q = smallTest();
    q.body.scalars.push_back(scalar(CopperTestType::map, P1, 1.0f, ScaledInt::ones));
    q.body.scalars.back().status = Status::fail;
    q.body.wiremap.status = Status::pass;
    EXPECT_TRUE(q.hasCopperScalar(CopperTestType::length, WirePair::notset));
    EXPECT_TRUE(q.hasCopperScalar(CopperTestType::length, P2));
    EXPECT_FALSE(q.hasCopperScalar(CopperTestType::length, P3));
    CopperScalar s;
    ASSERT_TRUE(q.findCopperScalar(s, CopperTestType::length, CableEnd::main, WirePair::notset, WirePair::notset));
    EXPECT_EQ(s.wirePair, P1);
    ASSERT_TRUE(q.findCopperScalar(s, CopperTestType::length, CableEnd::main, P2, WirePair::notset));
    EXPECT_EQ(s.value, 12.0f);
    EXPECT_FALSE(q.findCopperScalar(s, CopperTestType::length, CableEnd::remote, WirePair::notset, WirePair::notset));
    EXPECT_EQ(q.getStatusByTestType(CopperTestType::map), Status::pass);

    q.body.scalars[0].status = Status::pass;
    q.body.scalars[1].status = Status::passStar;
    CopperFreq f;
    f.testType = CopperTestType::length;
    f.status = Status::passAcceptable;
    q.body.copperfreqs.freqs.push_back(f);
    EXPECT_EQ(q.getStatusByTestType(CopperTestType::length), Status::passStar);
    EXPECT_FALSE(q.getCopperFreqStar(CopperTestType::length));
    EXPECT_TRUE(q.hasCopperFreq(CopperTestType::length));

    const CopperTest::ShortestLength sl = q.shortestLength();
    EXPECT_EQ(sl.index, 1);
    EXPECT_EQ(sl.value.toString(), "12.0");

    for (auto v : {CopperSettings::StorePlotData::off, CopperSettings::StorePlotData::null}) {
        q.body.settings.storePlotData = v;
        EXPECT_FALSE(q.hasPlotData());
    }
    q.body.settings.storePlotData = CopperSettings::StorePlotData::standard;
    EXPECT_TRUE(q.hasPlotData());

    q.body.settings.nvp = ScaledInt::raw(690, ScaledInt::tenths);
    q.plots.nsPerSample = 2.0f;
    q.plots.zeroLengthIndex = 10;
    EXPECT_NEAR(q.metersAtIndex(110), 100 * 2.0 * 0.29979247 * 0.69, 1e-3);
    EXPECT_NEAR(q.metersAtIndex(0), -10 * 2.0 * 0.29979247 * 0.69, 1e-4);
}

TEST(CopperTestBodyStream, LimitSlotOfAnotherTypeIsInvalidAndEvilScalarCountAllocatesNothing) {
    const CopperTestBody body = smallTest().body;
    const auto bytes = bytesOf(body);
    const auto at = [&](const std::vector<uint8_t>& part) {
        return static_cast<size_t>(std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) - bytes.begin());
    };
    // The limit slot follows the cable: the zero type id written for "no limit".
    auto limit = bytes;
    const size_t slot = at(bytesOf(body.cable)) + bytesOf(body.cable).size();
    ASSERT_LT(slot + 3, bytes.size());
    ASSERT_EQ(limit[slot], 0);
    limit[slot] = 0x61;
    limit[slot + 2] = 0x01;
    limit[slot + 3] = 0x06;
    CopperTestBody back;
    EXPECT_EQ(readInto(back, limit), Marshal::invalidData);

    // The scalar count comes right before the first scalar.
    auto evil = bytes;
    const size_t countPos = at(bytesOf(body.scalars[0])) - 4;
    ASSERT_EQ(evil[countPos], 2);
    kx::test::put32(evil, countPos, 0x7FFFFFFF);
    CopperTestBody fresh;
    EXPECT_EQ(readInto(fresh, evil), Marshal::readError);
    EXPECT_TRUE(fresh.scalars.empty());
}

TEST(CopperTestJson, RuleMasksOnlyAtDetailTwoWithALimitAndOnlyAsLongAsThePlots) {
    const auto t = kx::test::cat6APermanentLinkTest();
    const Json::Value one = t->toJson(Dump::detailLevel(1));
    EXPECT_FALSE(one["CopperTest"].isMember("limitEnforcedArrays"));
    EXPECT_TRUE(one["CopperTest"].isMember("copperTestBody"));
    EXPECT_TRUE(one["CopperTest"].isMember("copperPlots"));
    EXPECT_TRUE(one["CopperTest"].isMember("rawData"));
    const Json::Value two = t->toJson(Dump::detailLevel(2));
    const Json::Value& arrays = two["CopperTest"]["limitEnforcedArrays"];
    ASSERT_EQ(arrays.size(), t->plots.plots.size());
    bool sawRl = false;
    for (const auto& a : arrays) {
        EXPECT_TRUE(a.isMember("wirePair"));
        if (a["testType"].asString() == "rl") {
            sawRl = true;
            EXPECT_EQ(a["limitEnforced"].size(), 1068u);
        }
        if (a["testType"].asString() == "psacr") {
            EXPECT_EQ(a["limitEnforced"].size(), 0u);
        }
    }
    EXPECT_TRUE(sawRl);

    CopperTest small = smallTest();
    EXPECT_FALSE(small.toJson(Dump::detailLevel(2))["CopperTest"].isMember("limitEnforcedArrays"));

    // Many short plots against one long reference: each mask is as long as its plot, not the reference,
    // so the JSON stays proportional to the plots stored.
    small.body.limit = std::make_shared<CopperLimit>();
    small.body.limit->do3dbRuleRl = true;
    small.plots.plots = {samplePlot(CopperTestType::il, CableEnd::main, P2, P2, std::vector<int16_t>(20000, 40))};
    for (int i = 0; i < 500; ++i)
        small.plots.plots.push_back(samplePlot(CopperTestType::rl, CableEnd::main, P2, P2, {10, 20, 30}));
    const Json::Value shortArrays = small.toJson(Dump::detailLevel(2))["CopperTest"]["limitEnforcedArrays"];
    ASSERT_EQ(shortArrays.size(), 501u);
    EXPECT_EQ(shortArrays[1]["limitEnforced"].size(), 3u);
    EXPECT_EQ(shortArrays[1]["limitEnforced"][0].asUInt(), 1u);  // insertion loss 4.0 dB: the RL limit applies
    std::vector<uint16_t> full;
    ASSERT_TRUE(small.getLimitEnforced(CopperTestType::rl, CableEnd::main, P2, P2, full));
    EXPECT_EQ(full.size(), 20000u);  // the mask itself still follows the reference
}
