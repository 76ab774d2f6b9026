#pragma once
#include <ostream>

#include "serialization/IFormatter.h"

namespace Dump {

// Writes each entry as one line to a stream, indented with one tab per level.
class SimpleFormatter : public IFormatter {
public:
    explicit SimpleFormatter(std::ostream* out) : _out(out) {}

    void write(const char* name, std::ostringstream& text) override;
    void line(std::ostringstream& text) override;
    void write(const char* name, const char* text) override;
    void write(const char* name, double v) override { named(name, v); }
    void write(const char* name, float v) override { named(name, v); }
    void write(const char* name, int64_t v) override { named(name, v); }
    void write(const char* name, uint64_t v) override { named(name, v); }
    void write(const char* name, int32_t v) override { named(name, v); }
    void write(const char* name, uint32_t v) override { named(name, v); }
    void write(const char* name, int16_t v) override { named(name, static_cast<int32_t>(v)); }
    void write(const char* name, uint16_t v) override { named(name, static_cast<uint32_t>(v)); }
    void write(const char* name, int8_t v) override { named(name, static_cast<int32_t>(v)); }
    void write(const char* name, uint8_t v) override { named(name, static_cast<uint32_t>(v)); }
    void write(const char* name, const void* v) override;
    void write(const char* name, bool v) override { named(name, v ? 1 : 0); }
    void value(double v) override { bare(v); }
    void value(float v) override { bare(v); }
    void value(int64_t v) override { bare(v); }
    void value(uint64_t v) override { bare(v); }
    void value(int32_t v) override { bare(v); }
    void value(uint32_t v) override { bare(v); }
    void value(int16_t v) override { bare(static_cast<int32_t>(v)); }
    void value(uint16_t v) override { bare(static_cast<uint32_t>(v)); }
    void value(int8_t v) override { bare(static_cast<int32_t>(v)); }
    void value(uint8_t v) override { bare(static_cast<uint32_t>(v)); }
    void value(const void* v) override;
    void value(bool v) override;
    void value(const std::string& v) override;
    void line(const char* text) override;
    void hex(const char* name, int64_t v) override { namedHex(name, static_cast<uint64_t>(v)); }
    void hex(const char* name, uint64_t v) override { namedHex(name, v); }
    void hex(const char* name, int32_t v) override { namedHex(name, static_cast<uint32_t>(v)); }
    void hex(const char* name, uint32_t v) override { namedHex(name, v); }
    void hex(const char* name, int16_t v) override { namedHex(name, static_cast<uint16_t>(v)); }
    void hex(const char* name, uint16_t v) override { namedHex(name, v); }
    void hex(const char* name, int8_t v) override { namedHex(name, static_cast<uint8_t>(v)); }
    void hex(const char* name, uint8_t v) override { namedHex(name, v); }
    void hexValue(int64_t v) override { bareHex(static_cast<uint64_t>(v)); }
    void hexValue(uint64_t v) override { bareHex(v); }
    void hexValue(int32_t v) override { bareHex(static_cast<uint32_t>(v)); }
    void hexValue(uint32_t v) override { bareHex(v); }
    void hexValue(int16_t v) override { bareHex(static_cast<uint16_t>(v)); }
    void hexValue(uint16_t v) override { bareHex(v); }
    void hexValue(int8_t v) override { bareHex(static_cast<uint8_t>(v)); }
    void hexValue(uint8_t v) override { bareHex(v); }
    void indent() override { ++_level; }
    void unindent() override {
        if (_level > 0) --_level;
    }

    int32_t level() const { return _level; }

private:
    void tabs();
    void endLine();
    template <typename T>
    void named(const char* name, T v) {
        tabs();
        *_out << (name ? name : "NULL") << ' ' << v;
        endLine();
    }
    template <typename T>
    void bare(T v) {
        tabs();
        *_out << v;
        endLine();
    }
    void namedHex(const char* name, uint64_t v);
    void bareHex(uint64_t v);

    std::ostream* _out;
    int32_t _level = 0;
};

}  // namespace Dump
