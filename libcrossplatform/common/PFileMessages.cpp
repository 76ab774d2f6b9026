#include "common/PFileMessages.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace PFile::detail {

namespace {
std::string compose(const char* shortName, const char* op, const std::string& text, int line) {
    std::string out;
    out.reserve(text.size() + 64);
    out += shortName;
    out += "::";
    out += op;
    out += "() - ";
    out += text;
    out += " | ";
    out += kSourceName;
    out += ':';
    out += std::to_string(line);
    return out;
}
}  // namespace

void report(const MessageFn& fn, const char* shortName, const char* op, int line, const char* fmt, ...) {
    if (!fn) return;
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string text;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, args);
        text.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(args);
    fn(compose(shortName, op, text, line));
}

void enter(const MessageFn& fn, const char* shortName, const char* op, int line) {
    if (!fn) return;
    fn(compose(shortName, op, std::string(), line));
}

}  // namespace PFile::detail
