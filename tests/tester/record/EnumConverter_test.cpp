// The conversion tables between the result model's codes and the host's.
#include <gtest/gtest.h>

#include <utility>

#include "tester/record/EnumConverter.h"

using namespace Kestrix;
using Kestrix::Tester::EnumConverter;

// Each table both ways over every value it lists, plus the host codes that stored records and the host rely on.
TEST(EnumConverter, StatusesAndEnds) {
    for (Status s : {Status::notSet, Status::pass, Status::passStar, Status::passAcceptable, Status::fail})
        EXPECT_EQ(EnumConverter::KestrixShareStatus(EnumConverter::Status(s)), s) << static_cast<int>(s);
    const std::pair<Status, int> pinned[] = {
        {Status::fail, 0},     {Status::failStar, 0},       {Status::passStar, 3},
        {Status::pass, 4},     {Status::notSet, 5},         {Status::show, 5},
        {Status::dontShow, 5}, {static_cast<Status>(3), 6}, {Status::passAcceptable, 7}};
    for (const auto& [native, host] : pinned) EXPECT_EQ(EnumConverter::Status(native), host) << host;
    for (int host : {-1, 6, 8}) EXPECT_EQ(EnumConverter::KestrixShareStatus(host), Status::notSet) << host;
    // Ends.
    for (CableEnd end : {CableEnd::end1, CableEnd::end2})
        EXPECT_EQ(EnumConverter::KestrixShareFiberEnd(EnumConverter::EndFiber(end)), end);
    EXPECT_EQ(EnumConverter::EndFiber(CableEnd::end2), 2);
    EXPECT_EQ(EnumConverter::EndFiber(CableEnd::notSet), 0);
    EXPECT_EQ(EnumConverter::KestrixShareFiberEnd(0), CableEnd::end1);
    EXPECT_EQ(EnumConverter::KestrixShareCopperEnd(2), CableEnd::remote);
    EXPECT_EQ(EnumConverter::KestrixShareCopperEnd(9), CableEnd::main);
}

TEST(EnumConverter, FiberTestTypesRoundTripTheFirstMatchWinsAndLossSettingsMap) {
    const std::pair<FiberTestType, int> pinned[] = {
        {FiberTestType::otdrEnd1, 24},          {FiberTestType::otdrEnd2, 25},
        {FiberTestType::bidirectionalOtdr, 42}, {FiberTestType::imageEnd1, 28},
        {FiberTestType::imageEnd2, 29},         {FiberTestType::faultMap, 32},
        {FiberTestType::realTimeTraceEnd1, 30}, {FiberTestType::realTimeTraceEnd2, 31},
        {FiberTestType::lossLength, 20},        {FiberTestType::powerMeterEnd1, 22},
        {FiberTestType::powerMeterEnd2, 23}};
    for (const auto& [native, host] : pinned) {
        EXPECT_EQ(EnumConverter::FiberTestType(native), host);
        EXPECT_EQ(EnumConverter::KestrixShareFibTestType(host), native) << host;
    }
    EXPECT_EQ(EnumConverter::KestrixShareFibTestType(21), FiberTestType::lossLength);
    EXPECT_EQ(EnumConverter::KestrixShareFibTestType(33), FiberTestType::otdrEnd1);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::patchCordEnd1), 0);
    EXPECT_EQ(EnumConverter::KestrixShareFibTestType(99), FiberTestType::patchCordEnd1);
    // Loss test mode, method and light source.
    EXPECT_EQ(EnumConverter::FiberMode(RemoteEndSetup::vexlinkDual), 1);
    EXPECT_EQ(EnumConverter::FiberMode(RemoteEndSetup::vexlinkSingle), 1);
    EXPECT_EQ(EnumConverter::FiberMode(RemoteEndSetup::loopback), 2);
    EXPECT_EQ(EnumConverter::FiberMode(RemoteEndSetup::farEndSource), 3);
    EXPECT_EQ(EnumConverter::FiberMode(RemoteEndSetup::scopel), 0);

    EXPECT_EQ(EnumConverter::FiberMethod(FiberLLRefMethod::methodA3), 6);
    EXPECT_EQ(EnumConverter::FiberMethod(FiberLLRefMethod::oneJumper), 2);
    EXPECT_EQ(EnumConverter::FiberMethod(FiberLLRefMethod::twoJumper), 1);
    EXPECT_EQ(EnumConverter::FiberMethod(FiberLLRefMethod::threeJumper), 3);
    EXPECT_EQ(EnumConverter::FiberMethod(FiberLLRefMethod::modifiedOneJumper), 10);
    EXPECT_EQ(EnumConverter::FiberMethod(static_cast<FiberLLRefMethod>(11)), 0);

    EXPECT_EQ(EnumConverter::FiberLightSrc(LightSourceType::led), 1);
    EXPECT_EQ(EnumConverter::FiberLightSrc(LightSourceType::laser), 2);
    EXPECT_EQ(EnumConverter::FiberLightSrc(LightSourceType::vcsel), 3);
    EXPECT_EQ(EnumConverter::FiberLightSrc(static_cast<LightSourceType>(7)), 0);
}

TEST(EnumConverter, CopperTestTypesRoundTripPinnedIdsAndWirePairsOfEveryHostPairId) {
    int listed = 0;
    for (int host = -1; host <= 60; ++host) {
        const CopperTestType native = EnumConverter::KestrixShareCuTestType(host);
        if (native == CopperTestType::none) continue;
        ++listed;
        EXPECT_EQ(EnumConverter::KestrixShareCuTestType(EnumConverter::CuTestType(native)), native) << host;
    }
    EXPECT_EQ(listed, 24);
    const std::pair<int, CopperTestType> pinned[] = {{15, CopperTestType::map},          {2, CopperTestType::delay},
                                                     {41, CopperTestType::p2pUnbalance}, {37, CopperTestType::cdnext},
                                                     {39, CopperTestType::eltctl},       {8, CopperTestType::next},
                                                     {6, CopperTestType::none}};
    for (const auto& [host, native] : pinned) EXPECT_EQ(EnumConverter::KestrixShareCuTestType(host), native) << host;
    EXPECT_EQ(EnumConverter::CuTestType(CopperTestType::next), 8);
    EXPECT_EQ(EnumConverter::CuTestType(CopperTestType::fext), 0);
    struct Row {
        int id;
        WirePair src, rcv;
        PairCombo combo;
        int wiremap;
    };
    const Row rows[] = {
        {1, WirePair::pair1, WirePair::pair1, PairCombo::p12, 0},
        {4, WirePair::pair4, WirePair::pair4, PairCombo::p78, 3},
        {5, WirePair::notset, WirePair::notset, PairCombo::N, 16},
        {6, WirePair::pair1, WirePair::pair2, PairCombo::p12_36, 4},
        {8, WirePair::pair1, WirePair::pair4, PairCombo::p12_78, 6},
        {9, WirePair::pair2, WirePair::pair1, PairCombo::p36_12, 7},
        {13, WirePair::pair3, WirePair::pair2, PairCombo::p45_36, 11},
        {17, WirePair::pair4, WirePair::pair3, PairCombo::p78_45, 15},
        {18, WirePair::pair2, WirePair::pair2, PairCombo::N, 16},
        {0, WirePair::notset, WirePair::notset, PairCombo::N, 16},
        {19, WirePair::notset, WirePair::notset, PairCombo::N, 16},
        {-7, WirePair::notset, WirePair::notset, PairCombo::N, 16},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(EnumConverter::KestrixSrcPair(r.id), r.src);
        EXPECT_EQ(EnumConverter::KestrixRcvPair(r.id), r.rcv);
        EXPECT_EQ(EnumConverter::KestrixPairCombo(r.id), r.combo);
        EXPECT_EQ(static_cast<int>(EnumConverter::KestrixWireMapPairCombo(r.id)), r.wiremap);
    }
}
