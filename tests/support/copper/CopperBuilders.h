#pragma once
// Realistic copper tests and result files for tests, fuzz seeds, samples and benchmarks: a category 6A
// permanent link measured on both ends, judged against the category 6A permanent-link limit.
#include <cstdint>
#include <functional>
#include <vector>

#include "copper/CopperResult.h"

namespace kx::test {

// Outlet wiring "T568B" using all four pairs (or only `pairs`, 1-based), in the standard's colours.
Kestrix::CopperOutletConfig t568bOutlet(std::vector<int> pairs = {1, 2, 3, 4});
// Pins 1-8 and the shield connected straight through, status Pass.
Kestrix::Wiremap straightThroughWiremap();

Kestrix::CopperPlotPtr samplePlot(Kestrix::CopperTestType type, Kestrix::CableEnd end, Kestrix::WirePair src,
                                  Kestrix::WirePair rcv, std::vector<int16_t> samples);

Kestrix::CopperScalar scalar(Kestrix::CopperTestType type, Kestrix::WirePair pair, float value,
                             Kestrix::ScaledInt::ScaledTo scale, Kestrix::CableEnd end = Kestrix::CableEnd::main,
                             Kestrix::WirePair pair2 = Kestrix::WirePair::notset);

// The whole test: settings (NVP 69.0 %, plots stored), equipment, a U/FTP category 6A cable, the limit,
// T568B wiring, a straight-through wiremap, per-pair resistance, length, delay, skew and unbalance scalars,
// fault info, raw data (a complex insertion loss and a NEXT trace), recertified so that its frequency
// records and overall status (Pass) are filled in. Derived plots are made as after reading.
Kestrix::CopperTestPtr cat6APermanentLinkTest();

// A result holding that test, its summary filled by mergeCopperTest, named "Cat6A-PL-001".
Kestrix::CopperResult cat6AResult();
// The result file written by CopperResultWriter.
std::vector<uint8_t> cat6AResultFile();

}  // namespace kx::test
