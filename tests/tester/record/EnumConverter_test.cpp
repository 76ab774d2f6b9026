// The conversion tables between the result model's codes and the host's.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "core/Golden.h"
#include "tester/record/EnumConverter.h"

using namespace Kestrix;
using Kestrix::Tester::EnumConverter;

// Every table both ways, one line a code, against record/golden/enum-tables.txt: the model's codes to the host's
// ("native > host"), then for each host code what each table answers.
TEST(EnumConverter, EveryTableBothWays) {
    std::ostringstream out;
    const auto forward = [&out](const char* table, std::vector<int> natives, auto convert) {
        out << table << ':';
        for (int n : natives) out << ' ' << n << '>' << convert(n);
        out << '\n';
    };
    forward("Status", {0, 1, 2, 3, 4, 8, 16, 32, 64}, [](int n) { return EnumConverter::Status(Status(n)); });
    forward("EndFiber", {0, 1, 2, 3}, [](int n) { return EnumConverter::EndFiber(CableEnd(n)); });
    std::vector<int> fiberTypes{0, 0x10000000};
    for (int bit = 0; bit < 14; ++bit) fiberTypes.push_back(1 << bit);
    forward("FiberTestType", fiberTypes, [](int n) { return EnumConverter::FiberTestType(FiberTestType(n)); });
    forward("FiberMode", {0, 1, 2, 3, 4, 5, 6}, [](int n) { return EnumConverter::FiberMode(RemoteEndSetup(n)); });
    forward("FiberMethod", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
            [](int n) { return EnumConverter::FiberMethod(FiberLLRefMethod(n)); });
    forward("FiberLightSrc", {0, 1, 2, 3, 7}, [](int n) { return EnumConverter::FiberLightSrc(LightSourceType(n)); });
    std::vector<int> copperTypes;
    for (int n = 0; n <= 47; ++n) copperTypes.push_back(n);
    forward("CuTestType", copperTypes, [](int n) { return EnumConverter::CuTestType(CopperTestType(n)); });
    std::vector<int> hosts{-7, 99};
    for (int host = -1; host <= 45; ++host) hosts.push_back(host);
    for (int host : hosts) {
        out << "host " << host << ": status " << int(EnumConverter::KestrixShareStatus(host)) << ", fiber end "
            << int(EnumConverter::KestrixShareFiberEnd(host)) << ", copper end "
            << int(EnumConverter::KestrixShareCopperEnd(host)) << ", fiber test "
            << int(EnumConverter::KestrixShareFibTestType(host)) << ", copper test "
            << int(EnumConverter::KestrixShareCuTestType(host)) << ", pairs "
            << int(EnumConverter::KestrixSrcPair(host)) << '-' << int(EnumConverter::KestrixRcvPair(host)) << ", combo "
            << int(EnumConverter::KestrixPairCombo(host)) << ", wiremap combo "
            << int(EnumConverter::KestrixWireMapPairCombo(host)) << '\n';
    }
    kx::test::expectGolden(out.str(), "record/golden/enum-tables.txt");
}
