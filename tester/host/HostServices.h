#pragma once
// The host's small services that records call: dates, unit conversion and test-id categories.
#include <chrono>
#include <cstdint>
#include <string>

namespace Kestrix::Tester {

// A host date: whole seconds, UTC.
using HostDate = std::chrono::sys_seconds;

class HxDataDate {
public:
    // 1 January 1970, 00:00:00 UTC: the origin of every time a result stores.
    static HostDate Default1970();
    // The current time, whole seconds.
    static HostDate GetSpanNow();
    // Default1970() plus `seconds`, kept within years 0001 to 9999 so every date has a 4-digit ISO form.
    static HostDate From1970(int64_t seconds);
    // Calendar months later; a day past the end of the new month becomes its last day (31 Aug + 6 = 28/29 Feb).
    static HostDate AddMonths(HostDate date, int months);
    // "2024-03-05T14:07:09Z".
    static std::string ToIso8601(HostDate date);
    static int64_t SecondsSince1970(HostDate date);
};

class MeasUnitConverter {
public:
    // Metres to international feet (exactly 0.3048 m each); NaN and infinities pass through.
    static double ToFeet(double metres);
};

// Host test categories of the host's test ids.
enum class HostTestCategory : int32_t {
    none = 0,
    copper = 1,
    loss = 2,
    power = 3,
    otdr = 6,
    image = 7,
};

class EnumMapper {
public:
    // Category of a host test id (copper 1-17 and 34-41, loss 20-21, power 22-23, OTDR 24-25 and 30-33
    // and 42, image 28-29); none for any other id.
    static HostTestCategory TestTypeToCategory(int hostTestId);
    // Host OTDR test id of an end: 1 -> 24, 2 -> 25, 3 (the bidirectional average) -> 42; 0 otherwise.
    static int EndToOtdrTestType(int end);
};

}  // namespace Kestrix::Tester
