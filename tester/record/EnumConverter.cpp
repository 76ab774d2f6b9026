#include "tester/record/EnumConverter.h"

#include <span>

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
int code(E e) {
    return static_cast<int>(e);
}

constexpr Pair kStatus[] = {
    {0, 64}, {0, 32}, {7, 16}, {4, 4}, {3, 8}, {5, 0}, {5, 2}, {5, 1},
};

constexpr Pair kEnds[] = {{1, 1}, {2, 2}};

constexpr Pair kCopperTestTypes[] = {
    {15, 2},  {4, 3},   {5, 4},   {1, 5},   {2, 6},   {3, 7},   {40, 8},  {41, 46},
    {16, 10}, {17, 12}, {7, 15},  {8, 16},  {9, 17},  {10, 18}, {11, 19}, {12, 20},
    {13, 21}, {14, 22}, {34, 24}, {35, 26}, {36, 28}, {37, 25}, {38, 27}, {39, 29},
};

constexpr Pair kFiberTestTypes[] = {
    {24, 1},  {25, 2},  {42, 8192}, {33, 1},    {28, 1024}, {29, 2048}, {32, 64},
    {30, 16}, {31, 32}, {20, 4096}, {21, 4096}, {22, 256},  {23, 512},
};

// Tables read one way only: (host, native) with the host value the conversion gives.
constexpr Pair kLossTestMode[] = {{1, 1}, {1, 2}, {2, 3}, {3, 4}, {0, 0}};

constexpr Pair kLossTestMethod[] = {
    {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {2, 7}, {1, 8}, {3, 9}, {10, 10}, {0, 0},
};

constexpr Pair kLightSource[] = {{1, 2}, {2, 1}, {3, 3}, {0, 0}};

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

int EnumConverter::Status(Kestrix::Status native) { return toHost(kStatus, code(native), 6); }
int EnumConverter::EndFiber(CableEnd native) { return toHost(kEnds, code(native), 0); }
int EnumConverter::FiberTestType(Kestrix::FiberTestType native) {
    return toHost(kFiberTestTypes, static_cast<int>(code(native)), 0);
}
int EnumConverter::FiberMode(RemoteEndSetup native) { return toHost(kLossTestMode, code(native), 0); }
int EnumConverter::FiberMethod(FiberLLRefMethod native) { return toHost(kLossTestMethod, code(native), 0); }
int EnumConverter::FiberLightSrc(LightSourceType native) { return toHost(kLightSource, code(native), 0); }
int EnumConverter::CuTestType(CopperTestType native) { return toHost(kCopperTestTypes, code(native), 0); }

Kestrix::Status EnumConverter::KestrixShareStatus(int host) {
    return static_cast<Kestrix::Status>(toNative(kStatus, host, 0));
}
CableEnd EnumConverter::KestrixShareFiberEnd(int host) { return static_cast<CableEnd>(toNative(kEnds, host, 1)); }
CableEnd EnumConverter::KestrixShareCopperEnd(int host) { return static_cast<CableEnd>(toNative(kEnds, host, 1)); }
Kestrix::FiberTestType EnumConverter::KestrixShareFibTestType(int host) {
    return static_cast<Kestrix::FiberTestType>(toNative(kFiberTestTypes, host, 4));
}
CopperTestType EnumConverter::KestrixShareCuTestType(int host) {
    return static_cast<CopperTestType>(toNative(kCopperTestTypes, host, 0));
}

WirePair EnumConverter::KestrixSrcPair(int id) { return hostPair(id).src; }
WirePair EnumConverter::KestrixRcvPair(int id) { return hostPair(id).rcv; }
PairCombo EnumConverter::KestrixPairCombo(int id) { return hostPair(id).combo; }
WireMapData::PairCombo EnumConverter::KestrixWireMapPairCombo(int id) {
    return static_cast<WireMapData::PairCombo>(hostPair(id).wiremapCombo);
}

}  // namespace Kestrix::Tester
