#include "common/PFileMessages.h"

#include <cerrno>
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

FailureKind openFile(FILE*& file, const char* path, const char* mode, const Callbacks& cb, const char* shortName,
                     const char* op) {
    PF_DEBUG(cb, shortName, op, "%s::open(%s)", shortName, path ? path : "NULL");
    if (file != nullptr) {
        PF_ERROR(cb, shortName, op, "Already have another file open.");
        return FailureKind::misuse;
    }
    if (path == nullptr) {
        PF_ERROR(cb, shortName, op, "File Path is NULL.");
        return FailureKind::misuse;
    }
    file = std::fopen(path, mode);
    if (file == nullptr) {
        PF_ERROR(cb, shortName, op, "fopen failed.errno:%d", errno);
        return FailureKind::io;
    }
    return FailureKind::none;
}

}  // namespace PFile::detail
