#include "fiber/FiberSr4731.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace Kestrix {

int32_t truncToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

namespace {
int32_t clampInt64(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}
}  // namespace

FiberSr4731::FiberSr4731(const FiberOtdrTest& test, int wavelength)
    : _test(&test),
      _wavelength(wavelength),
      _settingsPerWl(test.settings.getSettingsPerWl(wavelength)),
      _fiberPerWl(test.fiber.getFiberPerWl(wavelength)),
      _plot(test.plots.getPlot(wavelength)),
      _eventTable(&test.eventTable),
      _overallPerWl(test.overallResults.getOverallPerWl(wavelength)) {}

int32_t FiberSr4731::getUserOffset() const {
    const FiberOtdrEvent* e = _eventTable->getEvent(_wavelength, 0);
    if (!e) return 0;
    const int32_t v = truncToInt32(static_cast<double>(e->propTime) * 10.0 - 0.5);
    return v == std::numeric_limits<int32_t>::min() ? std::numeric_limits<int32_t>::max() : std::abs(v);
}

int32_t FiberSr4731::getAcqOffset() const {
    if (!_plot) return 0;
    const int32_t traceOffset =
        truncToInt32(static_cast<double>(_plot->zeroLengthIndex) * static_cast<double>(_plot->nsPerSample) * 10.0);
    return truncToInt32(static_cast<double>(getUserOffset()) - static_cast<double>(traceOffset));
}

int32_t FiberSr4731::getPWU() const { return _settingsPerWl ? clampInt64(_settingsPerWl->nominalOtdrPulseWidth) : 0; }

int32_t FiberSr4731::getDataSpacing() const {
    if (!_plot) return 0;
    return truncToInt32(static_cast<double>(_plot->nsPerSample) * 10000.0 * 10.0 + 0.5);
}

int32_t FiberSr4731::getNumDataPoints() const {
    return _plot ? clampInt64(static_cast<int64_t>(_plot->dataPoints.size())) : 0;
}

int32_t FiberSr4731::getBackscatterCoef() const {
    if (!_fiberPerWl) return 0;
    const double v = static_cast<double>(_fiberPerWl->backscatterCoef.toFloat()) * 10.0;
    return truncToInt32(std::round(v));
}

int32_t FiberSr4731::averages() const { return _settingsPerWl ? clampInt64(_settingsPerWl->numberOfAverages) : 0; }

int32_t FiberSr4731::getAcqRange() const {
    if (!_plot) return 0;
    return truncToInt32(static_cast<double>(_plot->dataPoints.size()) * static_cast<double>(_plot->nsPerSample) * 10.0 +
                        0.5);
}

int32_t FiberSr4731::getNoiseFloorLevel() const {
    return _plot ? truncToInt32(static_cast<double>(_plot->noiseFloor) * 1000.0 + 0.5) : 0;
}

int32_t FiberSr4731::getLossThreshold() const {
    return truncToInt32(static_cast<double>(_test->settings.nominalLossThreshold.toFloat()) * 1000.0 + 0.5);
}

int32_t FiberSr4731::getEndThreshold() const {
    return truncToInt32(static_cast<double>(_test->settings.endThreshold.toFloat()) * 1000.0 + 0.5);
}

int32_t FiberSr4731::getUpperBound() const {
    if (!_plot) return 0;
    const size_t n = _plot->dataPoints.size();
    const auto last = static_cast<unsigned>(n == 0 ? 0 : std::min<size_t>(n - 1, std::numeric_limits<unsigned>::max()));
    return truncToInt32(static_cast<double>(_plot->getMaxDb(0, last)) * 1000.0 + 0.5);
}

int32_t FiberSr4731::eventCount() const {
    int32_t n = 0;
    for (const auto& e : _eventTable->events)
        if (static_cast<int>(e.wavelength) == _wavelength) ++n;
    return n;
}

const FiberOtdrEvent* FiberSr4731::getEvent(int32_t i) const {
    if (i < 0) return nullptr;
    int32_t seen = 0;
    for (const auto& e : _eventTable->events) {
        if (static_cast<int>(e.wavelength) != _wavelength) continue;
        if (seen++ == i) return &e;
    }
    return nullptr;
}

int32_t FiberSr4731::getEndMarker() const {
    const FiberOtdrEvent* e = _eventTable->getEventWithAnEventTypeFlags(_wavelength, OtdrAnEventType::tail, 0, false);
    if (!e) e = getEvent(eventCount() - 1);
    return e ? truncToInt32(static_cast<double>(e->propTime) * 10.0) : 0;
}

int32_t FiberSr4731::getPoint(uint32_t j) const {
    // getDbByIndex needs a sample; a trace from a file may have none.
    if (!_plot || _plot->dataPoints.empty()) return 0;
    return truncToInt32(static_cast<double>(_plot->getDbByIndex(j)) * 1000.0);
}

}  // namespace Kestrix
