#pragma once
// Enumerations of the OTDR setup and their texts. Values are stored: frozen.
#include <cstdint>
#include <string>

#include <boost/optional.hpp>

namespace Kestrix {

// Requested OTDR range in metres (0 = automatic).
enum class OtdrRange : int32_t {
    autoRange = 0,
    m400 = 400,
    km1 = 1000,
    km2 = 2000,
    km4 = 4000,
    km8 = 8000,
    km10 = 10000,
    km15 = 15000,
    km20 = 20000,
    km30 = 30000,
    km40 = 40000,
    km60 = 60000,
    km100 = 100000,
    km130 = 130000,
    km160 = 160000,
    km260 = 260000,
    km400 = 400000,
};

enum class OtdrAveragingTime : uint8_t {
    autoTime = 0,
    autoFast = 1,
    autoBestDeadzone = 2,
    s3 = 3,
    s5 = 4,
    s10 = 5,
    s20 = 6,
    s40 = 7,
    s60 = 8,
    s90 = 9,
    s120 = 10,
    s180 = 11,
};

enum class AutoOrManual : uint8_t { autoMode = 0, manual = 1 };

// The wavelength pair compared for bend detection.
enum class OtdrBendWavelengths : uint8_t {
    wl850_1300 = 0,
    wl1310_1490 = 1,
    wl1310_1550 = 2,
    wl1310_1625 = 3,
    wl1310_1650 = 4,
    wl1490_1550 = 5,
    wl1550_1625 = 6,
    wl1550_1650 = 7,
    wl1490_1625 = 8,
    wl1490_1650 = 9,
};
inline constexpr uint8_t kOtdrBendWavelengthsCount = 10;

enum class OtdrSplitterRatio : uint8_t {
    r1x2 = 0,
    r1x4 = 1,
    r1x8 = 2,
    r1x16 = 3,
    r1x32 = 4,
    r1x64 = 5,
    r1x128 = 6,
    r1x256 = 7,
    r2x2 = 8,
    r2x4 = 9,
    r2x8 = 10,
    r2x16 = 11,
    r2x32 = 12,
    r2x64 = 13,
    r2x128 = 14,
    r2x256 = 15,
};
inline constexpr uint8_t kOtdrSplitterRatioCount = 16;

// Texts; empty for values outside the tables.
const char* toString(OtdrRange r);
const char* toString(OtdrAveragingTime t);
const char* toString(AutoOrManual m);
const char* toString(OtdrBendWavelengths w);
const char* toString(OtdrSplitterRatio r);

// The two wavelengths of a bend pair (shorter first); {0, 0} for an unknown pair.
struct WavelengthPair {
    uint16_t shortWl;
    uint16_t longWl;
};
WavelengthPair wavelengths(OtdrBendWavelengths w);

// Text to value, without regard to case; none when no text matches.
boost::optional<OtdrRange> otdrRangeFromString(const std::string& text);
boost::optional<OtdrAveragingTime> otdrAveragingTimeFromString(const std::string& text);
// 0 "Auto", 1 "Manual", -1 for anything else.
int32_t autoOrManualFromString(const std::string& text);
boost::optional<OtdrBendWavelengths> otdrBendWavelengthsFromString(const std::string& text);
boost::optional<OtdrSplitterRatio> otdrSplitterRatioFromString(const std::string& text);

}  // namespace Kestrix
