#pragma once
// Dates of the sysinfo document: texts that begin with "YYYYMMDD" (a time may follow).
#include <chrono>
#include <string>

namespace Kestrix::Tester {

using CalDate = std::chrono::year_month_day;

// The host's minimum date, for "no date".
inline constexpr CalDate kMinDate{std::chrono::year{1}, std::chrono::January, std::chrono::day{1}};

// Texts of 8 characters or fewer, and texts whose first eight are not a valid date, give kMinDate.
CalDate parseSysinfoDate(const std::string& text);

// `date` plus whole months; a day beyond the end of the target month becomes its last day.
CalDate addMonths(CalDate date, int months);

// "YYYY-MM-DD".
std::string formatDate(CalDate date);

}  // namespace Kestrix::Tester
