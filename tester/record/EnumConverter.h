#pragma once
// Conversion between the result model's codes and the host's codes. Each table is a list of
// (host, native) pairs searched from the front; a value not listed gives the table's default.
#include <cstdint>

#include "common/CableEnd.h"
#include "common/Status.h"
#include "copper/CopperLimitTypes.h"
#include "copper/CopperTypes.h"
#include "copper/WireMapData.h"
#include "fiber/FiberLimitTypes.h"
#include "fiber/FiberLossLengthPerDirectionWl.h"
#include "fiber/FiberLossLengthSettings.h"
#include "fiber/FiberTestTypes.h"

namespace Kestrix::Tester {

// The host's pair id of a coax link's one conductor pair.
inline constexpr int kCoaxPairId = 18;

class EnumConverter {
public:
    // Native to host.
    static int Status(Kestrix::Status native);
    static int EndFiber(CableEnd native);
    static int FiberTestType(Kestrix::FiberTestType native);
    static int FiberMode(RemoteEndSetup native);
    static int FiberMethod(FiberLLRefMethod native);
    static int FiberLightSrc(LightSourceType native);
    // The first host test id of a copper test type (the copper table read backwards); 0 when not listed.
    static int CuTestType(CopperTestType native);

    // Host to native.
    static Kestrix::Status KestrixShareStatus(int host);
    static CableEnd KestrixShareFiberEnd(int host);
    static CableEnd KestrixShareCopperEnd(int host);
    static Kestrix::FiberTestType KestrixShareFibTestType(int host);
    static CopperTestType KestrixShareCuTestType(int host);

    // Host pair id to native pairs.
    static WirePair KestrixSrcPair(int hostPair);
    static WirePair KestrixRcvPair(int hostPair);
    static PairCombo KestrixPairCombo(int hostPair);
    static WireMapData::PairCombo KestrixWireMapPairCombo(int hostPair);
};

}  // namespace Kestrix::Tester
