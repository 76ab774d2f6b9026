#pragma once
// The values the SR-4731 trace layout asks for, read from one wavelength of an OTDR test. Stores nothing
// but pointers into the test, which must outlive the view.
#include <cstdint>

#include "fiber/FiberOtdrTest.h"

namespace Kestrix {

class FiberSr4731 {
public:
    FiberSr4731(const FiberOtdrTest& test, int wavelength);

    // Everything below is an integer in the layout's units (100 ps, thousandths of a dB, per 10 000
    // points); a missing settings entry, fiber entry, trace or event gives 0 (null for getEvent).
    int32_t getUserOffset() const;
    int32_t getAcqOffset() const;
    int32_t getPWU() const;
    int32_t getDataSpacing() const;
    int32_t getNumDataPoints() const;
    int32_t getBackscatterCoef() const;
    int32_t averages() const;
    int32_t getAcqRange() const;
    int32_t getNoiseFloorLevel() const;
    int32_t getLossThreshold() const;
    int32_t getReflThreshold() const { return 40000; }
    int32_t getEndThreshold() const;
    int32_t getUpperBound() const;
    int32_t eventCount() const;
    const FiberOtdrEvent* getEvent(int32_t i) const;
    int32_t getEndMarker() const;
    int32_t getPoint(uint32_t j) const;
    // The overall results of the wavelength, or null.
    const FiberOtdrOverallResultsPerWl* overallResultsPerWl() const { return _overallPerWl; }

private:
    const FiberOtdrTest* _test;
    int _wavelength;
    const FiberOtdrSettingsPerWl* _settingsPerWl;
    const FiberPerWl* _fiberPerWl;
    const FiberOtdrPlot* _plot;
    const FiberOtdrEventTable* _eventTable;
    const FiberOtdrOverallResultsPerWl* _overallPerWl;
};

// Conversion toward zero of a double; NaN gives 0 and values outside 32 bits stop at the bounds.
int32_t truncToInt32(double v);

}  // namespace Kestrix
