#pragma once
// Sections of a fiber result file: which test (by its test bit) and which part of it each section holds.
// Section types are stored in files: frozen.
#include <cstdint>

#include "fiber/FiberTestTypes.h"

namespace Kestrix::FiberSections {

enum class Part { otdrBody, otdrPlots, otdrRawData, lossLength, powerMeter, imageBody, image };

struct Entry {
    uint16_t sectionType;
    FiberTestType testBit;
    Part part;
};

inline constexpr Entry kTable[] = {
    {300, FiberTestType::otdrEnd1, Part::otdrBody},
    {301, FiberTestType::otdrEnd1, Part::otdrPlots},
    {302, FiberTestType::otdrEnd1, Part::otdrRawData},
    {303, FiberTestType::otdrEnd2, Part::otdrBody},
    {304, FiberTestType::otdrEnd2, Part::otdrPlots},
    {305, FiberTestType::otdrEnd2, Part::otdrRawData},
    {312, FiberTestType::faultMap, Part::otdrBody},
    {313, FiberTestType::faultMap, Part::otdrPlots},
    {314, FiberTestType::faultMap, Part::otdrRawData},
    {315, FiberTestType::realTimeTraceEnd1, Part::otdrBody},
    {316, FiberTestType::realTimeTraceEnd1, Part::otdrPlots},
    {317, FiberTestType::realTimeTraceEnd1, Part::otdrRawData},
    {318, FiberTestType::realTimeTraceEnd2, Part::otdrBody},
    {319, FiberTestType::realTimeTraceEnd2, Part::otdrPlots},
    {320, FiberTestType::realTimeTraceEnd2, Part::otdrRawData},
    {321, FiberTestType::lossLength, Part::lossLength},
    {323, FiberTestType::powerMeterEnd1, Part::powerMeter},
    {324, FiberTestType::powerMeterEnd2, Part::powerMeter},
    {325, FiberTestType::imageEnd1, Part::imageBody},
    {326, FiberTestType::imageEnd1, Part::image},
    {327, FiberTestType::imageEnd2, Part::imageBody},
    {328, FiberTestType::imageEnd2, Part::image},
    {330, FiberTestType::bidirectionalOtdr, Part::otdrBody},
    {331, FiberTestType::bidirectionalOtdr, Part::otdrPlots},
    {332, FiberTestType::bidirectionalOtdr, Part::otdrRawData},
};

// The entry of a section type, or null for a type that is not a fiber test section.
inline const Entry* find(uint16_t sectionType) {
    for (const auto& e : kTable)
        if (e.sectionType == sectionType) return &e;
    return nullptr;
}

// The section type holding `part` of the test with that bit, or 0 when there is none.
inline uint16_t sectionFor(FiberTestType testBit, Part part) {
    for (const auto& e : kTable)
        if (e.testBit == testBit && e.part == part) return e.sectionType;
    return 0;
}

}  // namespace Kestrix::FiberSections
