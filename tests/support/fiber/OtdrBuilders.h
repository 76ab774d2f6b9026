#pragma once
// Realistic OTDR and image tests for tests, fuzz seeds, samples and benchmarks.
//
// The fiber: 150 m launch cord, 2000 m under test, 150 m tail cord, tested at 1310, 1490, 1550 and 1625 nm
// from both ends. Seen from end 1: launch connector 150 m, splice 612.4 m, connector 1100.0 m followed by a
// small reflection at 1101.2 m (a near-duplicate pair: end 2 sees one event there), a hidden splice at
// 1480 m (in a hidden group with the 1101.2 m row; visible from end 2), tail connector 2150 m, end 2300 m.
// End 2 also sees a splice at 1800 m that end 1 misses, and the 612.4 m splice as a gainer.
#include <cstdint>
#include <vector>

#include "fiber/FiberImageTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberResult.h"

namespace kx::test {

// 1310, 1490, 1550, 1625.
std::vector<uint16_t> otdrWavelengths();

// One row of a table to build: location (m), analysis flags and per-wavelength loss (scaled by 1 + 0.1 per
// wavelength step) and reflectance.
struct OtdrRowSpec {
    double location;
    uint32_t flags;
    float loss;
    float reflectance;
    Kestrix::HiddenGroupMarker marker = Kestrix::HiddenGroupMarker::notSet;
};

Kestrix::FiberOtdrEventTable otdrEventTable(const std::vector<OtdrRowSpec>& rows,
                                            const std::vector<uint16_t>& wavelengths);
std::vector<OtdrRowSpec> end1Rows();
std::vector<OtdrRowSpec> end2Rows();

// A crafted table of the largest stored size (0xFFFF rows and events) for the worst cases of the table
// algorithms: row types cycle through `types`, every row at one location when `oneLocation` (else 1 m
// apart), events spread round-robin over the first 256 rows (a row index is one byte) at two wavelengths.
Kestrix::FiberOtdrEventTable hostileEventTable(const std::vector<Kestrix::EventType>& types, bool oneLocation,
                                               size_t rows = 0xFFFF, size_t events = 0xFFFF);

// Small pseudo-random tables (up to 14 rows, pairs of rows at one location) with every type the event map
// removes or changes, hidden groups cut in every way and 0-3 events per row, for comparing algorithms.
Kestrix::FiberOtdrEventTable shuffledEventTable(uint32_t seed);

Kestrix::FiberLimit otdrLimit();
Kestrix::FiberOtdrSettings otdrSettings();
// A trace of `samples` samples: launch pulse, backscatter slope, events, noise.
Kestrix::FiberOtdrPlot otdrPlot(uint16_t wavelength, uint32_t samples);
Kestrix::FiberOtdrOverallResults otdrOverallResults(bool end2);

// A complete test from end 1 or end 2 with four traces of `samples` samples.
Kestrix::FiberOtdrTest otdrTest(Kestrix::CableEnd end, uint32_t samples = 1000);
// The same test with a table of `rows` rows (launch, splices and connectors, tail, end) over 20.3 km.
Kestrix::FiberOtdrTest otdrTestWithRows(Kestrix::CableEnd end, size_t rows, uint32_t samples = 100);

// A fiber result holding the end-1 and end-2 OTDR tests, and that result as a file (fiber result writer).
Kestrix::FiberResult otdrResult(uint32_t samples = 1000);
std::vector<uint8_t> otdrResultFile(uint32_t samples = 1000);

Kestrix::FiberImage fiberImage(uint32_t bytes = 4096);
Kestrix::FiberImageTest imageTest(Kestrix::FiberTestType type = Kestrix::FiberTestType::imageEnd1);

}  // namespace kx::test
