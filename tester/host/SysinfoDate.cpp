#include "tester/host/SysinfoDate.h"

#include <cstdio>

namespace Kestrix::Tester {
namespace {

bool digits(const std::string& text, size_t from, size_t count, int& value) {
    value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

CalDate parseSysinfoDate(const std::string& text) {
    if (text.size() <= 8) return kMinDate;
    int y = 0, m = 0, d = 0;
    if (!digits(text, 0, 4, y) || !digits(text, 4, 2, m) || !digits(text, 6, 2, d)) return kMinDate;
    const CalDate date{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                       std::chrono::day{static_cast<unsigned>(d)}};
    // Year 0 and impossible days ("20250230") are not dates.
    if (!date.ok() || y == 0) return kMinDate;
    return date;
}

CalDate addMonths(CalDate date, int months) {
    const std::chrono::year_month ym = std::chrono::year_month{date.year(), date.month()} + std::chrono::months{months};
    const CalDate shifted{ym.year(), ym.month(), date.day()};
    if (shifted.ok()) return shifted;
    return CalDate{std::chrono::year_month_day_last{ym.year(), std::chrono::month_day_last{ym.month()}}};
}

std::string formatDate(CalDate date) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()));
    return buf;
}

}  // namespace Kestrix::Tester
