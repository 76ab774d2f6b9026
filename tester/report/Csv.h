#pragma once
// Comma-separated text as RFC 4180 has it (CRLF line ends, fields with a comma, quote or line break in
// double quotes, quotes doubled), safe to open in a spreadsheet: a text field that would start a formula
// (=, +, -, @) is kept as text with a leading apostrophe.
#include <string>
#include <vector>

#include "tester/report/Canvas.h"

namespace Kestrix::Report {

// One field: `text` for names from results (formula-safe), else a number written as given.
std::string csvText(const std::string& text);
std::string csvNumber(double v, int precision);  // "" for NaN
std::string csvLine(const std::vector<std::string>& fields);

// The plotted numbers as CSV: a header line, then one line per point (empty fields where a column ends).
std::string plotTableCsv(const PlotTable& table);

}  // namespace Kestrix::Report
