#include "tester/session/DirListing.h"

#include <cctype>
#include <charconv>

namespace Kestrix::Tester {
namespace {

constexpr size_t kMinLine = 50;
// BusyBox prints the size right-aligned in 9 columns ending at column 43, so an 8-digit size starts after
// column 35. A longer size starts earlier: the digit run is followed back from there.
constexpr size_t kSizeColumn = 35;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The quoted name starting at `open` (a double quote). BusyBox escapes " and \ inside with a backslash.
boost::optional<std::string> quotedName(const std::string& line, size_t open) {
    std::string name;
    for (size_t i = open + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') return name;
        if (c == '\\' && i + 1 < line.size()) c = line[++i];
        name.push_back(c);
    }
    return boost::none;
}

}  // namespace

boost::optional<std::vector<dirEntry>> parseDirListing(const std::string& reply) {
    if (reply.empty() || reply.find("No such file") != std::string::npos) return boost::none;
    std::vector<dirEntry> out;
    size_t pos = 0;
    for (size_t nl = reply.find('\n', pos); nl != std::string::npos; pos = nl + 1, nl = reply.find('\n', pos)) {
        const std::string line = reply.substr(pos, nl - pos);
        if (line.size() <= kMinLine) continue;
        size_t start = kSizeColumn;
        while (start > 0 && isDigit(line[start - 1])) --start;
        while (start < line.size() && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
        size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        int64_t size = 0;
        const char* b = line.data() + start;
        const char* e = line.data() + end;
        auto [p, ec] = std::from_chars(b, e, size);
        if (b == e || ec != std::errc() || p != e || size < 0) return boost::none;
        size_t open = line.find('"', end);
        auto name = open == std::string::npos ? boost::none : quotedName(line, open);
        if (!name) return boost::none;
        out.push_back({*name, size});
    }
    if (out.empty()) return boost::none;
    return out;
}

}  // namespace Kestrix::Tester
