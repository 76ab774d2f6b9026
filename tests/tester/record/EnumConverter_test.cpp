// The conversion tables between the result model's codes and the host's.
#include <gtest/gtest.h>

#include "tester/record/EnumConverter.h"

using namespace Kestrix;
using Kestrix::Tester::EnumConverter;

TEST(EnumConverter, StatusBothWaysWithDefaults) {
    EXPECT_EQ(EnumConverter::Status(Status::fail), 0);
    EXPECT_EQ(EnumConverter::Status(Status::failStar), 0);
    EXPECT_EQ(EnumConverter::Status(Status::passAcceptable), 7);
    EXPECT_EQ(EnumConverter::Status(Status::pass), 4);
    EXPECT_EQ(EnumConverter::Status(Status::passStar), 3);
    EXPECT_EQ(EnumConverter::Status(Status::notSet), 5);
    EXPECT_EQ(EnumConverter::Status(Status::show), 5);
    EXPECT_EQ(EnumConverter::Status(Status::dontShow), 5);
    EXPECT_EQ(EnumConverter::Status(static_cast<Status>(3)), 6);

    EXPECT_EQ(EnumConverter::KestrixShareStatus(0), Status::fail);
    EXPECT_EQ(EnumConverter::KestrixShareStatus(3), Status::passStar);
    EXPECT_EQ(EnumConverter::KestrixShareStatus(4), Status::pass);
    EXPECT_EQ(EnumConverter::KestrixShareStatus(5), Status::notSet);
    EXPECT_EQ(EnumConverter::KestrixShareStatus(7), Status::passAcceptable);
    EXPECT_EQ(EnumConverter::KestrixShareStatus(6), Status::notSet);
    EXPECT_EQ(EnumConverter::KestrixShareStatus(-1), Status::notSet);
}

TEST(EnumConverter, Ends) {
    EXPECT_EQ(EnumConverter::EndFiber(CableEnd::end1), 1);
    EXPECT_EQ(EnumConverter::EndFiber(CableEnd::end2), 2);
    EXPECT_EQ(EnumConverter::EndFiber(CableEnd::notSet), 0);
    EXPECT_EQ(EnumConverter::KestrixShareFiberEnd(2), CableEnd::end2);
    EXPECT_EQ(EnumConverter::KestrixShareFiberEnd(0), CableEnd::end1);
    EXPECT_EQ(EnumConverter::KestrixShareCopperEnd(2), CableEnd::remote);
    EXPECT_EQ(EnumConverter::KestrixShareCopperEnd(9), CableEnd::main);
}

TEST(EnumConverter, FiberTestTypesFirstMatchWins) {
    EXPECT_EQ(EnumConverter::KestrixShareFibTestType(21), FiberTestType::lossLength);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::lossLength), 20);
    EXPECT_EQ(EnumConverter::KestrixShareFibTestType(33), FiberTestType::otdrEnd1);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::otdrEnd1), 24);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::otdrEnd2), 25);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::bidirectionalOtdr), 42);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::faultMap), 32);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::realTimeTraceEnd2), 31);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::imageEnd2), 29);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::powerMeterEnd1), 22);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::powerMeterEnd2), 23);
    EXPECT_EQ(EnumConverter::FiberTestType(FiberTestType::patchCordEnd1), 0);
    EXPECT_EQ(EnumConverter::KestrixShareFibTestType(99), FiberTestType::patchCordEnd1);
}

TEST(EnumConverter, CopperTestTypesHostToNative) {
    EXPECT_EQ(EnumConverter::KestrixShareCuTestType(15), CopperTestType::map);
    EXPECT_EQ(EnumConverter::KestrixShareCuTestType(2), CopperTestType::delay);
    EXPECT_EQ(EnumConverter::KestrixShareCuTestType(41), CopperTestType::p2pUnbalance);
    EXPECT_EQ(EnumConverter::KestrixShareCuTestType(37), CopperTestType::cdnext);
    EXPECT_EQ(EnumConverter::KestrixShareCuTestType(39), CopperTestType::eltctl);
    EXPECT_EQ(EnumConverter::KestrixShareCuTestType(6), CopperTestType::none);
    EXPECT_EQ(EnumConverter::CuTestType(CopperTestType::next), 8);
    EXPECT_EQ(EnumConverter::CuTestType(CopperTestType::fext), 0);
}

TEST(EnumConverter, LossTestModeMethodAndLightSource) {
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

TEST(EnumConverter, WirePairsOfEveryHostPairId) {
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
