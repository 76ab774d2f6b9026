#include "fiber/FiberTestTypes.h"

#include <cctype>

namespace Kestrix {

const char* toString(FiberTestType t) {
    switch (t) {
        case FiberTestType::otdrEnd1: return "OTDR End 1";
        case FiberTestType::otdrEnd2: return "OTDR End 2";
        case FiberTestType::patchCordEnd1: return "Patch Cord Test End 1";
        case FiberTestType::patchCordEnd2: return "Patch Cord Test End 2";
        case FiberTestType::realTimeTraceEnd1: return "Real Time Trace End 1";
        case FiberTestType::realTimeTraceEnd2: return "Real Time Trace End 2";
        case FiberTestType::faultMap: return "FaultMap";
        case FiberTestType::powerMeterEnd1: return "Power Meter End 1";
        case FiberTestType::powerMeterEnd2: return "Power Meter End 2";
        case FiberTestType::imageEnd1: return "Image End 1";
        case FiberTestType::imageEnd2: return "Image End 2";
        case FiberTestType::lossLength: return "Loss Length";
        case FiberTestType::bidirectionalOtdr: return "Bidirectional OTDR";
        case FiberTestType::vexLoop: return "Vex Loop";
        default: return "";
    }
}

namespace {

struct TestTypeText {
    TestType type;
    const char* text;
};

// Highest value last: parsing walks it from the end, as the tester does.
constexpr TestTypeText kTestTypes[] = {
    {TestType::notSet, "Not Set"},
    {TestType::autoOtdr, "Auto OTDR"},
    {TestType::manualOtdr, "Manual OTDR"},
    {TestType::dataCenterOtdr, "DataCenter OTDR"},
    {TestType::realTimeTrace, "Real Time Trace"},
    {TestType::manualRealTimeTrace, "Manual Real Time Trace"},
    {TestType::faultMap, "FaultMap"},
    {TestType::launchCompensation, "Launch Compensation"},
    {TestType::patchCordTest, "Patch Cord Test"},
    {TestType::scopel, "Scopel"},
    {TestType::otdrSelfTest, "OTDR Self Test"},
    {TestType::visualFaultLocator, "Visual Fault Locator"},
    {TestType::powerMeter, "Power Meter"},
    {TestType::lossLength, "Loss Length"},
    {TestType::twistedPair, "Twisted Pair"},
    {TestType::coax, "Coax"},
    {TestType::nvp, "NVP"},
    {TestType::copperDiagnosticsOnly, "Copper Diagnostics Only"},
    {TestType::copperSelfTest, "Copper Self Test"},
    {TestType::copperSetReference, "Copper Set Reference"},
    {TestType::oltsSelfTest, "OLTS Self Test"},
    {TestType::oltsSetReference, "OLTS Set Reference"},
    {TestType::oltsVerifyReference, "OLTS Verify Reference"},
    {TestType::oltsSetReferenceWizard, "OLTS Set Reference Wizard"},
    {TestType::autoVexloop, "Auto Vexloop"},
    {TestType::manualVexloop, "Manual Vexloop"},
    {TestType::manualPonOtdr, "Manual PON OTDR"},
    {TestType::splitterDetection, "Splitter Detection"},
    {TestType::autoPonOtdr, "Auto PON OTDR"},
    {TestType::connectorQualityOtdr, "Connector Quality OTDR"},
    {TestType::deadzoneOtdr, "Deadzone OTDR"},
};

}  // namespace

const char* toString(TestType t) {
    for (const auto& e : kTestTypes)
        if (e.type == t) return e.text;
    return "";
}

boost::optional<TestType> testTypeFromString(const std::string& text) {
    for (auto it = std::rbegin(kTestTypes); it != std::rend(kTestTypes); ++it)
        if (equalsIgnoreCase(text, it->text)) return it->type;
    return boost::none;
}

const char* cableEndText(CableEnd e) {
    switch (e) {
        case CableEnd::end1: return "End 1";
        case CableEnd::end2: return "End 2";
        default: return "";
    }
}

int32_t cableEndFromString(const std::string& text) {
    if (equalsIgnoreCase(text, "End 2")) return 2;
    if (equalsIgnoreCase(text, "End 1")) return 1;
    return -1;
}

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (std::tolower(ca) != std::tolower(cb)) return false;
    }
    return true;
}

}  // namespace Kestrix
