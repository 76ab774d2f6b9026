#include "fiber/FiberOtdrEnums.h"

#include <iterator>

#include "common/TextTable.h"
#include "fiber/FiberTestTypes.h"

namespace Kestrix {

namespace {
struct RangeText {
    int32_t value;
    const char* text;
};
constexpr RangeText kRanges[] = {
    {0, "Auto"},        {400, "400 m"},     {1000, "1 km"},     {2000, "2 km"},     {4000, "4 km"},
    {8000, "8 km"},     {10000, "10 km"},   {15000, "15 km"},   {20000, "20 km"},   {30000, "30 km"},
    {40000, "40 km"},   {60000, "60 km"},   {100000, "100 km"}, {130000, "130 km"}, {160000, "160 km"},
    {260000, "260 km"}, {400000, "400 km"},
};

constexpr const char* kAveraging[] = {
    "Auto",
    "Auto Fast",
    "Auto Best Deadzone",
    "3 seconds per wavelength",
    "5 seconds per wavelength",
    "10 seconds per wavelength",
    "20 seconds per wavelength",
    "40 seconds per wavelength",
    "60 seconds per wavelength",
    "90 seconds per wavelength",
    "120 seconds per wavelength",
    "180 seconds per wavelength",
};

constexpr const char* kBend[] = {"850/1300",  "1310/1490", "1310/1550", "1310/1625", "1310/1650",
                                 "1490/1550", "1550/1625", "1550/1650", "1490/1625", "1490/1650"};
constexpr WavelengthPair kBendPairs[] = {{850, 1300},  {1310, 1490}, {1310, 1550}, {1310, 1625}, {1310, 1650},
                                         {1490, 1550}, {1550, 1625}, {1550, 1650}, {1490, 1625}, {1490, 1650}};

constexpr const char* kSplitters[] = {"1x2", "1x4", "1x8", "1x16", "1x32", "1x64", "1x128", "1x256",
                                      "2x2", "2x4", "2x8", "2x16", "2x32", "2x64", "2x128", "2x256"};

// Index of the text in the table (case ignored), or -1.
template <size_t N>
int32_t findText(const char* const (&table)[N], const std::string& text) {
    for (size_t i = 0; i < N; ++i)
        if (equalsIgnoreCase(text, table[i])) return static_cast<int32_t>(i);
    return -1;
}
}  // namespace

const char* toString(OtdrRange r) {
    for (const auto& e : kRanges)
        if (e.value == static_cast<int32_t>(r)) return e.text;
    return "";
}

const char* toString(OtdrAveragingTime t) { return textAt(kAveraging, static_cast<uint32_t>(t)); }

const char* toString(AutoOrManual m) {
    switch (m) {
        case AutoOrManual::autoMode: return "Auto";
        case AutoOrManual::manual: return "Manual";
    }
    return "";
}

const char* toString(OtdrBendWavelengths w) { return textAt(kBend, static_cast<uint32_t>(w)); }

const char* toString(OtdrSplitterRatio r) { return textAt(kSplitters, static_cast<uint32_t>(r)); }

WavelengthPair wavelengths(OtdrBendWavelengths w) {
    const auto i = static_cast<uint32_t>(w);
    return i < std::size(kBendPairs) ? kBendPairs[i] : WavelengthPair{0, 0};
}

boost::optional<OtdrRange> otdrRangeFromString(const std::string& text) {
    for (const auto& e : kRanges)
        if (equalsIgnoreCase(text, e.text)) return static_cast<OtdrRange>(e.value);
    return boost::none;
}

boost::optional<OtdrAveragingTime> otdrAveragingTimeFromString(const std::string& text) {
    const int32_t i = findText(kAveraging, text);
    if (i < 0) return boost::none;
    return static_cast<OtdrAveragingTime>(i);
}

int32_t autoOrManualFromString(const std::string& text) {
    if (equalsIgnoreCase(text, "Auto")) return 0;
    if (equalsIgnoreCase(text, "Manual")) return 1;
    return -1;
}

boost::optional<OtdrBendWavelengths> otdrBendWavelengthsFromString(const std::string& text) {
    const int32_t i = findText(kBend, text);
    if (i < 0) return boost::none;
    return static_cast<OtdrBendWavelengths>(i);
}

boost::optional<OtdrSplitterRatio> otdrSplitterRatioFromString(const std::string& text) {
    const int32_t i = findText(kSplitters, text);
    if (i < 0) return boost::none;
    return static_cast<OtdrSplitterRatio>(i);
}

}  // namespace Kestrix
