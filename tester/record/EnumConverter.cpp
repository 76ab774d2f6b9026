#include "tester/record/EnumConverter.h"

#include <span>

#include "tester/host/HostStatus.h"

namespace Kestrix::Tester {

namespace {

struct Pair {
    int host;
    int native;
};

int toHost(std::span<const Pair> table, int native, int fallback) {
    for (const Pair& p : table)
        if (p.native == native) return p.host;
    return fallback;
}

int toNative(std::span<const Pair> table, int host, int fallback) {
    for (const Pair& p : table)
        if (p.host == host) return p.native;
    return fallback;
}

template <typename E>
constexpr int code(E e) {
    return static_cast<int>(e);
}

// One row of a table: a host value and the native value it stands for.
template <typename E>
constexpr Pair row(int host, E native) {
    return {host, code(native)};
}

using S = Kestrix::Status;
constexpr Pair kStatus[] = {
    row(kHostStatusFail, S::fail),
    row(kHostStatusFail, S::failStar),
    row(kHostStatusPassAcceptable, S::passAcceptable),
    row(kHostStatusPass, S::pass),
    row(kHostStatusPassStar, S::passStar),
    row(kHostStatusNotSet, S::notSet),
    row(kHostStatusNotSet, S::show),
    row(kHostStatusNotSet, S::dontShow),
};

constexpr Pair kEnds[] = {row(1, CableEnd::end1), row(2, CableEnd::end2)};

// Host test ids of the copper test types.
using C = CopperTestType;
constexpr Pair kCopperTestTypes[] = {
    row(15, C::map),    row(4, C::resist),     row(5, C::imped),         row(1, C::length),  row(2, C::delay),
    row(3, C::skew),    row(40, C::unbalance), row(41, C::p2pUnbalance), row(16, C::tdr),    row(17, C::tdx),
    row(7, C::il),      row(8, C::next),       row(9, C::psnext),        row(10, C::acr),    row(11, C::psacr),
    row(12, C::elfext), row(13, C::pselfext),  row(14, C::rl),           row(34, C::tcl),    row(35, C::tctl),
    row(36, C::cmrl),   row(37, C::cdnext),    row(38, C::cdfext),       row(39, C::eltctl),
};

// Host test ids of the fiber test types; the first row of a native type is the one it converts to.
using F = Kestrix::FiberTestType;
constexpr Pair kFiberTestTypes[] = {
    row(24, F::otdrEnd1),          row(25, F::otdrEnd2),   row(42, F::bidirectionalOtdr), row(33, F::otdrEnd1),
    row(28, F::imageEnd1),         row(29, F::imageEnd2),  row(32, F::faultMap),          row(30, F::realTimeTraceEnd1),
    row(31, F::realTimeTraceEnd2), row(20, F::lossLength), row(21, F::lossLength),        row(22, F::powerMeterEnd1),
    row(23, F::powerMeterEnd2),
};

// Tables read one way only: (host, native) with the host value the conversion gives.
using R = RemoteEndSetup;
constexpr Pair kLossTestMode[] = {row(1, R::vexlinkDual), row(1, R::vexlinkSingle), row(2, R::loopback),
                                  row(3, R::farEndSource), row(0, R::notSet)};

using M = FiberLLRefMethod;
constexpr Pair kLossTestMethod[] = {
    row(1, M::methodA),     row(2, M::methodB),
    row(3, M::methodC),     row(4, M::methodA1),
    row(5, M::methodA2),    row(6, M::methodA3),
    row(2, M::oneJumper),   row(1, M::twoJumper),
    row(3, M::threeJumper), row(10, M::modifiedOneJumper),
    row(0, M::notSet),
};

using L = LightSourceType;
constexpr Pair kLightSource[] = {row(1, L::led), row(2, L::laser), row(3, L::vcsel), row(0, L::none)};

struct HostPair {
    WirePair src;
    WirePair rcv;
    PairCombo combo;
    int wiremapCombo;
};

// Host pair ids 1 to 18; any other id is "no pair".
constexpr HostPair kNoPair{WirePair::notset, WirePair::notset, PairCombo::N, 16};

constexpr HostPair kHostPairs[] = {
    {WirePair::pair1, WirePair::pair1, PairCombo::p12, 0},
    {WirePair::pair2, WirePair::pair2, PairCombo::p36, 1},
    {WirePair::pair3, WirePair::pair3, PairCombo::p45, 2},
    {WirePair::pair4, WirePair::pair4, PairCombo::p78, 3},
    kNoPair,
    {WirePair::pair1, WirePair::pair2, PairCombo::p12_36, 4},
    {WirePair::pair1, WirePair::pair3, PairCombo::p12_45, 5},
    {WirePair::pair1, WirePair::pair4, PairCombo::p12_78, 6},
    {WirePair::pair2, WirePair::pair1, PairCombo::p36_12, 7},
    {WirePair::pair2, WirePair::pair3, PairCombo::p36_45, 8},
    {WirePair::pair2, WirePair::pair4, PairCombo::p36_78, 9},
    {WirePair::pair3, WirePair::pair1, PairCombo::p45_12, 10},
    {WirePair::pair3, WirePair::pair2, PairCombo::p45_36, 11},
    {WirePair::pair3, WirePair::pair4, PairCombo::p45_78, 12},
    {WirePair::pair4, WirePair::pair1, PairCombo::p78_12, 13},
    {WirePair::pair4, WirePair::pair2, PairCombo::p78_36, 14},
    {WirePair::pair4, WirePair::pair3, PairCombo::p78_45, 15},
    // The coax pair.
    {WirePair::pair2, WirePair::pair2, PairCombo::N, 16},
};

const HostPair& hostPair(int id) {
    if (id < 1 || id > static_cast<int>(std::size(kHostPairs))) return kNoPair;
    return kHostPairs[id - 1];
}

}  // namespace

int EnumConverter::Status(Kestrix::Status native) { return toHost(kStatus, code(native), kHostStatusUnknown); }
int EnumConverter::EndFiber(CableEnd native) { return toHost(kEnds, code(native), 0); }
int EnumConverter::FiberTestType(Kestrix::FiberTestType native) { return toHost(kFiberTestTypes, code(native), 0); }
int EnumConverter::FiberMode(RemoteEndSetup native) { return toHost(kLossTestMode, code(native), 0); }
int EnumConverter::FiberMethod(FiberLLRefMethod native) { return toHost(kLossTestMethod, code(native), 0); }
int EnumConverter::FiberLightSrc(LightSourceType native) { return toHost(kLightSource, code(native), 0); }
int EnumConverter::CuTestType(CopperTestType native) { return toHost(kCopperTestTypes, code(native), 0); }

Kestrix::Status EnumConverter::KestrixShareStatus(int host) {
    return static_cast<Kestrix::Status>(toNative(kStatus, host, code(S::notSet)));
}
CableEnd EnumConverter::KestrixShareFiberEnd(int host) {
    return static_cast<CableEnd>(toNative(kEnds, host, code(CableEnd::end1)));
}
CableEnd EnumConverter::KestrixShareCopperEnd(int host) {
    return static_cast<CableEnd>(toNative(kEnds, host, code(CableEnd::end1)));
}
Kestrix::FiberTestType EnumConverter::KestrixShareFibTestType(int host) {
    return static_cast<Kestrix::FiberTestType>(toNative(kFiberTestTypes, host, code(F::patchCordEnd1)));
}
CopperTestType EnumConverter::KestrixShareCuTestType(int host) {
    return static_cast<CopperTestType>(toNative(kCopperTestTypes, host, code(C::none)));
}

WirePair EnumConverter::KestrixSrcPair(int id) { return hostPair(id).src; }
WirePair EnumConverter::KestrixRcvPair(int id) { return hostPair(id).rcv; }
PairCombo EnumConverter::KestrixPairCombo(int id) { return hostPair(id).combo; }
WireMapData::PairCombo EnumConverter::KestrixWireMapPairCombo(int id) {
    return static_cast<WireMapData::PairCombo>(hostPair(id).wiremapCombo);
}

}  // namespace Kestrix::Tester
