#include "serialization/SimpleLogFormatter.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "serialization/Assert.h"
#include "serialization/LogSink.h"

namespace Dump {

namespace {
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
fmt(const char* format, ...) {
    char buf[128];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
    // Only %f of a huge double gets here.
    std::string out(static_cast<size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(out.data(), out.size(), format, args);
    va_end(args);
    out.resize(static_cast<size_t>(n));
    return out;
}
}  // namespace

SimpleLogFormatter::SimpleLogFormatter(int32_t facility, int32_t severity) {
    _line.reserve(kBufferSize);
    set(facility, severity);
}

void SimpleLogFormatter::set(int32_t facility, int32_t severity) {
    KX_ASSERT_MSG(facility >= 0 && facility <= kMaxFacility, "SimpleLogFormatter::set() - unknown facility");
    KX_ASSERT_MSG(severity >= 0 && severity <= kMaxSeverity, "SimpleLogFormatter::set() - unknown severity");
    _facility = facility;
    _severity = severity;
}

size_t SimpleLogFormatter::room() const { return kBufferSize - 1 - static_cast<size_t>(_indent); }

void SimpleLogFormatter::emit(const std::string& content) {
    _line.assign(static_cast<size_t>(_indent), '\t');
    _line.append(content, 0, room());
    logLine(_facility, _severity, _line);
}

void SimpleLogFormatter::named(const char* name, const std::string& valueText) {
    std::string n = name ? name : "NULL";
    const std::string tail = " = " + valueText;
    // The value part is kept whole when it can be; the name gives way first.
    if (n.size() + tail.size() > room()) n.resize(tail.size() < room() ? room() - tail.size() : 0);
    emit(n + tail);
}

void SimpleLogFormatter::write(const char* name, std::ostringstream& text) {
    named(name, text.str());
    text.str(std::string());
    text.clear();
}

void SimpleLogFormatter::line(std::ostringstream& text) {
    line(text.str().c_str());
    text.str(std::string());
    text.clear();
}

void SimpleLogFormatter::write(const char* name, const char* text) { named(name, text ? text : "NULL"); }
void SimpleLogFormatter::write(const char* name, double v) { named(name, fmt("%f", v)); }
void SimpleLogFormatter::write(const char* name, float v) { named(name, fmt("%f", static_cast<double>(v))); }
void SimpleLogFormatter::write(const char* name, int64_t v) { named(name, fmt("%lld", static_cast<long long>(v))); }
void SimpleLogFormatter::write(const char* name, uint64_t v) {
    named(name, fmt("%llu", static_cast<unsigned long long>(v)));
}
void SimpleLogFormatter::write(const char* name, int32_t v) { named(name, fmt("%d", v)); }
void SimpleLogFormatter::write(const char* name, uint32_t v) { named(name, fmt("%u", v)); }
void SimpleLogFormatter::write(const char* name, int16_t v) { named(name, fmt("%d", v)); }
void SimpleLogFormatter::write(const char* name, uint16_t v) { named(name, fmt("%u", static_cast<unsigned>(v))); }
void SimpleLogFormatter::write(const char* name, int8_t v) { named(name, fmt("%d", v)); }
void SimpleLogFormatter::write(const char* name, uint8_t v) { named(name, fmt("%u", static_cast<unsigned>(v))); }
void SimpleLogFormatter::write(const char* name, const void* v) { named(name, fmt("%p", v)); }
void SimpleLogFormatter::write(const char* name, bool v) { named(name, v ? "true" : "false"); }

void SimpleLogFormatter::value(double v) { emit(fmt("%f", v)); }
void SimpleLogFormatter::value(float v) { emit(fmt("%f", static_cast<double>(v))); }
void SimpleLogFormatter::value(int64_t v) { emit(fmt("%lld", static_cast<long long>(v))); }
void SimpleLogFormatter::value(uint64_t v) { emit(fmt("%llu", static_cast<unsigned long long>(v))); }
void SimpleLogFormatter::value(int32_t v) { emit(fmt("%d", v)); }
void SimpleLogFormatter::value(uint32_t v) { emit(fmt("%u", v)); }
void SimpleLogFormatter::value(int16_t v) { emit(fmt("%d", v)); }
void SimpleLogFormatter::value(uint16_t v) { emit(fmt("%u", static_cast<unsigned>(v))); }
void SimpleLogFormatter::value(int8_t v) { emit(fmt("%d", v)); }
void SimpleLogFormatter::value(uint8_t v) { emit(fmt("%u", static_cast<unsigned>(v))); }
void SimpleLogFormatter::value(const void* v) { emit(fmt("%p", v)); }
void SimpleLogFormatter::value(bool v) { emit(v ? "true" : "false"); }
void SimpleLogFormatter::value(const std::string& v) { line(v.c_str()); }

void SimpleLogFormatter::line(const char* text) {
    if (text == nullptr) {
        emit("NULL");
        return;
    }
    std::string rest(text);
    const size_t space = room();
    // Long texts go out in pieces, each cut after the last newline that still fits.
    while (rest.size() > space) {
        const size_t nl = rest.rfind('\n', space - 1);
        const size_t cut = nl == std::string::npos ? space : nl + 1;
        emit(rest.substr(0, cut));
        rest.erase(0, cut);
    }
    emit(rest);
}

void SimpleLogFormatter::hex(const char* name, int64_t v) { hex(name, static_cast<uint64_t>(v)); }
void SimpleLogFormatter::hex(const char* name, uint64_t v) {
    named(name, fmt("0x%llx", static_cast<unsigned long long>(v)));
}
void SimpleLogFormatter::hex(const char* name, int32_t v) { hex(name, static_cast<uint32_t>(v)); }
void SimpleLogFormatter::hex(const char* name, uint32_t v) { named(name, fmt("0x%x", v)); }
void SimpleLogFormatter::hex(const char* name, int16_t v) {
    hex(name, static_cast<uint32_t>(static_cast<uint16_t>(v)));
}
void SimpleLogFormatter::hex(const char* name, uint16_t v) { hex(name, static_cast<uint32_t>(v)); }
void SimpleLogFormatter::hex(const char* name, int8_t v) { hex(name, static_cast<uint32_t>(static_cast<uint8_t>(v))); }
void SimpleLogFormatter::hex(const char* name, uint8_t v) { hex(name, static_cast<uint32_t>(v)); }

void SimpleLogFormatter::hexValue(int64_t v) { hexValue(static_cast<uint64_t>(v)); }
void SimpleLogFormatter::hexValue(uint64_t v) { emit(fmt("0x%llx", static_cast<unsigned long long>(v))); }
void SimpleLogFormatter::hexValue(int32_t v) { hexValue(static_cast<uint32_t>(v)); }
void SimpleLogFormatter::hexValue(uint32_t v) { emit(fmt("0x%x", v)); }
void SimpleLogFormatter::hexValue(int16_t v) { hexValue(static_cast<uint32_t>(static_cast<uint16_t>(v))); }
void SimpleLogFormatter::hexValue(uint16_t v) { hexValue(static_cast<uint32_t>(v)); }
void SimpleLogFormatter::hexValue(int8_t v) { hexValue(static_cast<uint32_t>(static_cast<uint8_t>(v))); }
void SimpleLogFormatter::hexValue(uint8_t v) { hexValue(static_cast<uint32_t>(v)); }

void SimpleLogFormatter::indent() {
    if (_indent < kMaxIndent) ++_indent;
}
void SimpleLogFormatter::unindent() {
    if (_indent > 0) --_indent;
}

}  // namespace Dump
