#include "tester/host/HostServices.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Kestrix::Tester {

namespace {

using namespace std::chrono;

// 0001-01-01T00:00:00Z and 9999-12-31T23:59:59Z.
constexpr int64_t kMinSeconds = -62135596800LL;
constexpr int64_t kMaxSeconds = 253402300799LL;

}  // namespace

HostDate HxDataDate::Default1970() { return HostDate{}; }

HostDate HxDataDate::GetSpanNow() { return floor<seconds>(system_clock::now()); }

HostDate HxDataDate::From1970(int64_t secs) { return HostDate{seconds{std::clamp(secs, kMinSeconds, kMaxSeconds)}}; }

HostDate HxDataDate::AddMonths(HostDate date, int months) {
    const sys_days day = floor<days>(date);
    const seconds timeOfDay = date - day;
    year_month_day ymd{day};
    ymd += std::chrono::months{months};
    if (!ymd.ok()) ymd = ymd.year() / ymd.month() / last;
    return From1970((sys_days{ymd} + timeOfDay).time_since_epoch().count());
}

std::string HxDataDate::ToIso8601(HostDate date) {
    date = From1970(date.time_since_epoch().count());
    const sys_days day = floor<days>(date);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> t{date - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(t.hours().count()), static_cast<int>(t.minutes().count()),
                  static_cast<int>(t.seconds().count()));
    return text;
}

int64_t HxDataDate::SecondsSince1970(HostDate date) { return date.time_since_epoch().count(); }

double MeasUnitConverter::ToFeet(double metres) { return metres / 0.3048; }

HostTestCategory EnumMapper::TestTypeToCategory(int id) {
    if ((id >= 1 && id <= 17) || (id >= 34 && id <= 41)) return HostTestCategory::copper;
    if (id == 20 || id == 21) return HostTestCategory::loss;
    if (id == 22 || id == 23) return HostTestCategory::power;
    if (id == 24 || id == 25 || (id >= 30 && id <= 33) || id == 42) return HostTestCategory::otdr;
    if (id == 28 || id == 29) return HostTestCategory::image;
    return HostTestCategory::none;
}

int EnumMapper::EndToOtdrTestType(int end) {
    switch (end) {
        case 1: return 24;
        case 2: return 25;
        case 3: return 42;
        default: return 0;
    }
}

}  // namespace Kestrix::Tester
