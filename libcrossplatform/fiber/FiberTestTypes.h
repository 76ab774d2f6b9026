#pragma once
#include "common/CableEnd.h"
// Enumerations shared by every fiber test: which test (one bit each), the instrument's test mode, the cable end.
#include <cstdint>
#include <string>

#include <boost/optional.hpp>

namespace Kestrix {

// One bit per kind of fiber test; also the test bit of a result file's sections. Stored: frozen.
enum class FiberTestType : uint32_t {
    notSet = 0,
    otdrEnd1 = 1,
    otdrEnd2 = 2,
    patchCordEnd1 = 4,
    patchCordEnd2 = 8,
    realTimeTraceEnd1 = 16,
    realTimeTraceEnd2 = 32,
    faultMap = 64,
    powerMeterEnd1 = 256,
    powerMeterEnd2 = 512,
    imageEnd1 = 1024,
    imageEnd2 = 2048,
    lossLength = 4096,
    bidirectionalOtdr = 8192,
    vexLoop = 0x10000000,
};

// "OTDR End 1" ...; empty for any other value.
const char* toString(FiberTestType t);

// The instrument's test mode. Stored: frozen.
enum class TestType : int32_t {
    notSet = 0,
    autoOtdr = 1,
    manualOtdr = 2,
    dataCenterOtdr = 3,
    realTimeTrace = 4,
    manualRealTimeTrace = 5,
    faultMap = 6,
    launchCompensation = 7,
    patchCordTest = 8,
    scopel = 9,
    otdrSelfTest = 10,
    visualFaultLocator = 11,
    powerMeter = 12,
    lossLength = 13,
    twistedPair = 14,
    coax = 15,
    nvp = 16,
    copperDiagnosticsOnly = 17,
    copperSelfTest = 18,
    copperSetReference = 19,
    oltsSelfTest = 22,
    oltsSetReference = 23,
    oltsVerifyReference = 24,
    oltsSetReferenceWizard = 25,
    autoVexloop = 26,
    manualVexloop = 27,
    manualPonOtdr = 32,
    splitterDetection = 33,
    autoPonOtdr = 34,
    connectorQualityOtdr = 64,
    deadzoneOtdr = 65,
};

// "Auto OTDR" ...; empty for any other value.
const char* toString(TestType t);
// The test mode whose text equals `text` without regard to case; none when no text matches.
boost::optional<TestType> testTypeFromString(const std::string& text);

// "End 1", "End 2"; empty otherwise. (Not toString: copper names its cable ends differently.)
const char* cableEndText(CableEnd e);
// 1 or 2 for "End 1" / "End 2" (case ignored), else -1.
int32_t cableEndFromString(const std::string& text);

// Case-insensitive text comparison used by the JSON readers of the fiber settings.
bool equalsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace Kestrix
