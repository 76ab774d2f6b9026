#pragma once
// One SR-4731 trace file per wavelength of an OTDR test (layout in SorFormat.h).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fiber/FiberOtdrTest.h"

namespace Kestrix {

// The CRC of the "Cksum" block over `size` bytes.
uint16_t sorChecksum(const uint8_t* data, size_t size);

// The wavelengths of the test's traces, in trace order, each once.
std::vector<uint16_t> sorWavelengths(const FiberOtdrTest& test);

// The file of one wavelength; `cableId` names the cable (the result's name). Empty when the test has no
// trace of that wavelength or a block would not fit the format's 32-bit sizes.
std::optional<std::vector<uint8_t>> writeSor(const FiberOtdrTest& test, int wavelength, const std::string& cableId);

// Time in units of 100 ps to tenths of a metre along a fiber of group index `ir`.
int32_t sorTimeToDistance(int64_t time100ps, double ir);

}  // namespace Kestrix
