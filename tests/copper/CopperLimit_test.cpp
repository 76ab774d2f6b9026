#include "copper/CopperTesting.h"
#include <zlib.h>

namespace {
std::string fullJson(const CopperLimit& l) { return Dump::toJsonString(l, Dump::DumpFlags{2}, true); }

// A limit with every field away from its default.
CopperLimit busyLimit() {
    CopperLimit l = kx::test::cat6APermanentLinkLimit();
    l.outletConfigs = "568A;568B";
    l.acrMethod = CopperLimit::AcrMethod::mhz16;
    l.maxComp = -30.5f;
    l.do4dbRuleAcrN = true;
    l.altNextCurveRule = CopperLimit::AltNextCurveRule::next17dB900MHz;
    l.dbRuleAcrF = -3;
    l.dbRulePsAcrF = 5;
    l.dbRuleAcrFStartFreqKHz = 40000;
    l.basicLink = true;
    l.nextNearComp = CopperLimit::NearComp::longComp;
    l.nextFarComp = CopperLimit::NextFarComp::chop;
    l.rlNearComp = CopperLimit::NearComp::shortComp;
    l.rlFarComp = CopperLimit::RlFarComp::off;
    l.linkType = CopperLimit::LinkType::spool;
    l.mediaType = CopperLimit::MediaType::any;
    l.tdrLimit = -42;
    l.altTcl = CopperLimit::AltTcl::shielded;
    l.nextStatusType = CopperLimit::NextStatusType::acceptable;
    l.freqLimits[1].pair = PairCombo::p12_36;
    return l;
}

// The stored layout of a limit at an older class version (curves always at their current version 1).
std::vector<uint8_t> bytesAtVersion(const CopperLimit& l, uint8_t version) {
    Marshal::ByteStreamBuilder w;
    Marshal::Header h(version, Marshal::SerialTypeID(0x0071, 0x0205));
    h.serialize(w);
    w.write(l.name);
    w.write(static_cast<uint32_t>(l.freqLimits.size()));
    for (const auto& f : l.freqLimits) f.serialize(w);
    w.write(static_cast<uint32_t>(l.scalarLimits.size()));
    for (const auto& s : l.scalarLimits) s.serialize(w);
    if (version >= 3) {
        w.write(l.outletConfigs);
    } else {
        CopperOutletConfig legacy;
        legacy.name = "568B";
        legacy.artifacts.resize(2);
        legacy.serialize(w);
        const uint8_t tail[3] = {0xAA, 0xBB, 0xCC};
        w.write(tail, 3);
    }
    w.write(static_cast<uint8_t>(l.acrMethod));
    w.write(l.maxFreqKHz);
    w.write(l.maxComp);
    w.write(l.do3dbRuleRl);
    w.write(l.do4dbRuleNext);
    w.write(static_cast<uint8_t>(1));  // reserved, ignored
    w.write(l.do4dbRuleAcrN);
    if (version >= 3) {
        w.write(static_cast<uint8_t>(l.altNextCurveRule));
        w.write(l.dbRuleAcrF);
        w.write(l.dbRulePsAcrF);
        w.write(l.dbRuleAcrFStartFreqKHz);
    } else {
        const uint8_t skipped[7] = {9, 9, 9, 9, 9, 9, 9};
        w.write(skipped, 7);
    }
    w.write(l.basicLink);
    w.write(static_cast<uint8_t>(l.nextNearComp));
    w.write(static_cast<uint8_t>(l.nextFarComp));
    w.write(static_cast<uint8_t>(l.rlNearComp));
    w.write(static_cast<uint8_t>(l.rlFarComp));
    w.write(static_cast<uint32_t>(l.validLiaIds.size()));
    for (const auto& p : l.validLiaIds) {
        w.write(p.first);
        w.write(p.second);
    }
    w.write(static_cast<uint32_t>(l.invalidLiaIds.size()));
    for (auto id : l.invalidLiaIds) w.write(id);
    w.write(static_cast<uint16_t>(l.liaCompat));
    l.dbPkgMfstSummary.serialize(w);
    if (version >= 1) {
        w.write(static_cast<uint8_t>(l.mediaType));
        w.write(l.tdrLimit);
        w.write(static_cast<uint8_t>(l.linkType));
        w.write(static_cast<uint8_t>(l.altTcl));
    }
    if (version >= 4) w.write(static_cast<uint8_t>(l.nextStatusType));
    h.finishWrite(w);
    return w.bytes();
}

std::vector<uint8_t> compressed(const std::vector<uint8_t>& plain) {
    uLongf len = compressBound(static_cast<uLong>(plain.size()));
    std::vector<uint8_t> out(len);
    EXPECT_EQ(compress2(out.data(), &len, plain.data(), static_cast<uLong>(plain.size()), 6), Z_OK);
    out.resize(len);
    return out;
}

std::vector<int16_t> ramp(int n) {
    std::vector<int16_t> v;
    for (int i = 0; i < n; ++i) v.push_back(static_cast<int16_t>(100 + i));
    return v;
}
}  // namespace

TEST(CopperLimit, ReadsEveryOlderVersionWithDefaults) {
    // Fields a version does not store keep their defaults: the documents differ only in those.
    const CopperLimit l = busyLimit();
    Json::Value versions;
    for (uint8_t v = 0; v <= 4; ++v) {
        CopperLimit back;
        ASSERT_EQ(readInto(back, bytesAtVersion(l, v)), Marshal::ok) << static_cast<int>(v);
        versions.append(back.toJson(Dump::DumpFlags{1}));
    }
    kx::test::expectGolden(versions, "CopperLimitVersions.json");
}

TEST(CopperLimit, EvilCountsAndEveryPrefixFailBeforeAllocatingAndNewerVersionsAreRefused) {
    CopperLimit l;
    l.name = "n";
    auto bytes = bytesOf(l);
    // Frequency-limit count right after the 12-byte header and the 3-byte name.
    for (size_t i = 15; i < 19; ++i) bytes[i] = 0xFF;
    CopperLimit back;
    EXPECT_EQ(readInto(back, bytes), Marshal::readError);

    // A curve announcing more samples than packed bytes, and one whose packed bytes run out.
    CopperLimit one;
    one.freqLimits.push_back(freqLimit(CopperFreqLimitType::IL, {1, 2, 3}));
    auto curve = bytesOf(one);
    const size_t nPos = kHeaderBytes + 2 + 4 + 1 + 2 + 1;  // header, name, count, version, type, info flag
    ASSERT_EQ(curve[nPos], 3);
    curve[nPos] = 200;
    EXPECT_EQ(readInto(back, curve), Marshal::readError);
    curve[nPos] = 3;
    curve[nPos + 4 + 4 + 2] = 0x80;  // last sample becomes an escape without its value
    EXPECT_EQ(readInto(back, curve), Marshal::readError);

    // Curves and scalar limits of newer versions.
    bytes = bytesOf(one);
    bytes[kHeaderBytes + 2 + 4] = 2;
    EXPECT_EQ(readInto(back, bytes), Marshal::versionTooNew);

    CopperLimit s;
    s.scalarLimits.push_back(scalarLimit(CopperScalarLimitType::length, ScaledInt::raw(1, ScaledInt::ones)));
    bytes = bytesOf(s);
    bytes[kHeaderBytes + 2 + 4 + 4] = 1;
    EXPECT_EQ(readInto(back, bytes), Marshal::versionTooNew);

    CopperLimit small;
    small.name = "x";
    small.freqLimits.push_back(freqLimit(CopperFreqLimitType::NEXT, {0, 5, 300, 299}, {{1000, 0.5f}}));
    small.scalarLimits.push_back(scalarLimit(CopperScalarLimitType::length, ScaledInt::raw(900, ScaledInt::tenths)));
    small.validLiaIds = {{1, 2}};
    small.invalidLiaIds = {7};
    for (uint8_t v : {0, 2, 4}) {
        SCOPED_TRACE(static_cast<int>(v));
        EXPECT_TRUE(everyPrefixFails<CopperLimit>(bytesAtVersion(small, v)));
    }
}

TEST(CopperFreqLimit, VersionZeroHasNoEquationOrPairAndAccuracyInterpolatesBetweenBreakpoints) {
    Marshal::ByteStreamBuilder w;
    w.write(static_cast<uint8_t>(0));
    w.write(static_cast<uint16_t>(CopperFreqLimitType::RL));
    w.write(true);
    w.write(static_cast<uint32_t>(0));
    w.write(static_cast<uint32_t>(1));
    w.write(static_cast<int32_t>(1000));
    w.write(1.5f);
    const auto bytes = w.bytes();
    Marshal::ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    CopperFreqLimit f;
    f.pair = PairCombo::p12;
    ASSERT_EQ(f.deserialize(r), Marshal::ok);
    EXPECT_EQ(f.freqLimitType, CopperFreqLimitType::RL);
    EXPECT_TRUE(f.isInfoOnly);
    EXPECT_TRUE(f.limitCurve.empty());
    EXPECT_EQ(f.pair, PairCombo::any);
    EXPECT_EQ(r.remaining(), 0u);

    CopperFreqLimit acc;
    EXPECT_EQ(acc.accuracyAt(5000), 0.0f);
    acc.accPoints = {{10000, 2.0f}};
    EXPECT_EQ(acc.accuracyAt(1), 2.0f);
    EXPECT_EQ(acc.accuracyAt(99999999), 2.0f);
    acc.accPoints = {{10000, 1.0f}, {20000, 2.0f}, {40000, 4.0f}};
    // Extrapolated below the first point, none above the last.
    for (const auto& [kHz, dB] :
         {std::pair{10000, 1.0f}, {15000, 1.5f}, {20000, 2.0f}, {40000, 4.0f}, {0, 0.0f}, {5000, 0.5f}, {40001, 0.0f}})
        EXPECT_FLOAT_EQ(acc.accuracyAt(kHz), dB) << kHz;
    acc.accPoints = {{10000, 1.0f}, {10000, 3.0f}, {20000, 5.0f}};
    EXPECT_FLOAT_EQ(acc.accuracyAt(5000), 1.0f);  // equal breakpoints, no division by zero
}

TEST(CopperLimit, ScalarLookupsByTestTypeAndFrequencyLookupsByExactPair) {
    using T = CopperScalarLimitType;
    CopperLimit l;
    // Maxima 1 to 7 in this order.
    int max = 0;
    for (T t : {T::unbalancePercent, T::unbalanceOhm, T::impedance50, T::impedance100, T::impedance,
                T::p2pUnbalancePercent, T::p2pUnbalanceOhm})
        l.scalarLimits.push_back(scalarLimit(t, ScaledInt::raw(++max, ScaledInt::ones)));
    CopperScalarLimit out;
    ASSERT_TRUE(l.findScalarLimit(out, CopperTestType::unbalance, 0));
    EXPECT_EQ(out.type, T::unbalanceOhm);
    ASSERT_TRUE(l.findScalarLimit(out, CopperTestType::imped, 100));
    EXPECT_EQ(out.type, T::impedance100);
    ASSERT_TRUE(l.findScalarLimit(out, CopperTestType::imped, 0));
    EXPECT_EQ(out.type, T::impedance);
    EXPECT_FALSE(l.findScalarLimit(out, CopperTestType::imped, 75));
    ASSERT_TRUE(l.findScalarLimit(out, CopperTestType::p2pUnbalance, 0));
    EXPECT_EQ(out.type, T::p2pUnbalancePercent);
    EXPECT_FALSE(l.findScalarLimit(out, CopperTestType::length, 0));
    ASSERT_TRUE(l.findScalarLimit(out, T::impedance50));
    EXPECT_EQ(out.maxValue, ScaledInt::raw(3, ScaledInt::ones));
    EXPECT_FALSE(l.findScalarLimit(out, T::length));

    // Frequency limits match the pair exactly.
    l.freqLimits.push_back(freqLimit(CopperFreqLimitType::NEXT, {1}, {}, PairCombo::any));
    l.freqLimits.push_back(freqLimit(CopperFreqLimitType::NEXT, {2}, {{1000, 1.0f}}, PairCombo::p12_36));
    l.freqLimits.back().limitEquation = "eq";
    CopperFreqLimit curve;
    ASSERT_TRUE(l.findFreqLimit(curve, CopperFreqLimitType::NEXT, PairCombo::p12_36));
    EXPECT_EQ(curve.limitCurve, std::vector<int16_t>{2});
    EXPECT_EQ(curve.limitEquation, "eq");
    ASSERT_TRUE(l.findFreqLimit(curve, CopperFreqLimitType::NEXT, PairCombo::any));
    EXPECT_EQ(curve.limitCurve, std::vector<int16_t>{1});
    EXPECT_FALSE(l.findFreqLimit(curve, CopperFreqLimitType::NEXT, PairCombo::p12_45));
    EXPECT_TRUE(l.hasFreqLimit(CopperFreqLimitType::NEXT));
    EXPECT_FALSE(l.hasFreqLimit(CopperFreqLimitType::RL));
    EXPECT_TRUE(l.hasFreqLimit(CopperFreqLimitType::NEXT, PairCombo::p12_36));
    EXPECT_FALSE(l.hasFreqLimit(CopperFreqLimitType::NEXT, PairCombo::p36_12));
    EXPECT_FLOAT_EQ(curve.getDbFromIndex(0), 0.1f);
}

TEST(CopperLimit, JsonAbbreviatesLongCurvesBelowFullDetail) {
    CopperLimit l;
    l.name = "L";
    l.freqLimits.push_back(freqLimit(CopperFreqLimitType::NEXT, ramp(9)));
    l.freqLimits.push_back(freqLimit(CopperFreqLimitType::RL, ramp(8)));
    l.validLiaIds = {{224, 212}};
    l.invalidLiaIds = {213, 9999};
    // Curves are abbreviated below full detail; detail zero has no curves at all.
    Json::Value levels;
    for (uint32_t level : {0, 1, 2}) levels.append(l.toJson(Dump::DumpFlags{level}));
    kx::test::expectGolden(levels, "CopperLimit.json");
    // The dump is the styled JSON at the usual detail.
    EXPECT_NE(Dump::dumpToString(l).find("\"...\""), std::string::npos);
}

TEST(CopperLimit, RoundTripsOpensPlainAndCompressedBlobsAndRefusesBadOnes) {
    const CopperLimit l = busyLimit();
    const auto plain = bytesOf(l);
    EXPECT_EQ(bytesAtVersion(l, 4).size(), plain.size());
    CopperLimit direct;
    EXPECT_EQ(direct.open(plain.data(), static_cast<int>(plain.size()), 0), Marshal::ok);
    EXPECT_EQ(fullJson(direct), fullJson(l));

    const auto z = compressed(plain);
    CopperLimit inflated;
    EXPECT_EQ(inflated.open(z.data(), static_cast<int>(z.size()), static_cast<int>(plain.size())), Marshal::ok);
    EXPECT_EQ(fullJson(inflated), fullJson(l));
    // A larger announced size is fine: only the inflated bytes are read.
    CopperLimit roomy;
    EXPECT_EQ(roomy.open(z.data(), static_cast<int>(z.size()), static_cast<int>(plain.size()) + 100), Marshal::ok);

    // Bad blobs are refused and leave the limit as it was.
    CopperLimit kept;
    kept.name = "kept";
    EXPECT_EQ(kept.open(nullptr, 10, 100), Marshal::invalidData);
    EXPECT_EQ(kept.open(plain.data(), static_cast<int>(plain.size()), 5000), Marshal::invalidData);  // not zlib
    EXPECT_EQ(kept.open(z.data(), static_cast<int>(z.size()), 10), Marshal::invalidData);            // too small
    EXPECT_EQ(kept.open(z.data(), -1, 10), Marshal::invalidData);
    // Announced sizes no deflate stream of this length can reach are refused without allocating.
    EXPECT_EQ(kept.open(z.data(), 4, 0x7FFFFFFF), Marshal::invalidData);
    EXPECT_EQ(kept.name, "kept");
    EXPECT_EQ(kept.open(z.data(), 0, 0), Marshal::readError);
    const std::vector<uint8_t> empty = compressed({});
    EXPECT_EQ(kept.open(empty.data(), static_cast<int>(empty.size()), 16), Marshal::readError);
}
