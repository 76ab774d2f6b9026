// CSV fields and lines.
#include "tester/report/Csv.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Kestrix::Report {

namespace {

std::string quoted(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string csvText(const std::string& text) {
    std::string s = cleanText(text, 2000);
    if (!s.empty() && (s[0] == '=' || s[0] == '+' || s[0] == '-' || s[0] == '@')) s.insert(s.begin(), '\'');
    return quoted(s);
}

std::string csvNumber(double v, int precision) {
    if (!std::isfinite(v)) return "";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", precision, v);
    std::string s = buf;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string csvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += fields[i];
    }
    return line + "\r\n";
}

std::string plotTableCsv(const PlotTable& table) {
    std::vector<std::string> head;
    for (const std::string& h : table.headers) head.push_back(csvText(h));
    std::string out = csvLine(head);
    size_t rows = 0;
    for (const auto& c : table.columns) rows = std::max(rows, c.size());
    for (size_t r = 0; r < rows; ++r) {
        std::vector<std::string> fields;
        for (const auto& c : table.columns) {
            if (r >= c.size() || !std::isfinite(c[r])) {
                fields.emplace_back();
                continue;
            }
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.6g", c[r]);
            fields.emplace_back(buf);
        }
        out += csvLine(fields);
    }
    return out;
}

}  // namespace Kestrix::Report
