#pragma once
#include <cstdint>
#include <sstream>
#include <string>

namespace Dump {

// Line-oriented sink of object dumps. Named entries are "name value" lines; text lines stand alone.
// 8- and 16-bit integers print as numbers, never as characters.
class IFormatter {
public:
    virtual void write(const char* name, std::ostringstream& text) = 0;  // empties the stream
    virtual void line(std::ostringstream& text) = 0;                     // empties the stream
    virtual void write(const char* name, const char* text) = 0;
    virtual void write(const char* name, double v) = 0;
    virtual void write(const char* name, float v) = 0;
    virtual void write(const char* name, int64_t v) = 0;
    virtual void write(const char* name, uint64_t v) = 0;
    virtual void write(const char* name, int32_t v) = 0;
    virtual void write(const char* name, uint32_t v) = 0;
    virtual void write(const char* name, int16_t v) = 0;
    virtual void write(const char* name, uint16_t v) = 0;
    virtual void write(const char* name, int8_t v) = 0;
    virtual void write(const char* name, uint8_t v) = 0;
    virtual void write(const char* name, const void* v) = 0;
    virtual void write(const char* name, bool v) = 0;
    virtual void value(double v) = 0;
    virtual void value(float v) = 0;
    virtual void value(int64_t v) = 0;
    virtual void value(uint64_t v) = 0;
    virtual void value(int32_t v) = 0;
    virtual void value(uint32_t v) = 0;
    virtual void value(int16_t v) = 0;
    virtual void value(uint16_t v) = 0;
    virtual void value(int8_t v) = 0;
    virtual void value(uint8_t v) = 0;
    virtual void value(const void* v) = 0;
    virtual void value(bool v) = 0;
    virtual void value(const std::string& v) = 0;
    virtual void line(const char* text) = 0;
    virtual void hex(const char* name, int64_t v) = 0;
    virtual void hex(const char* name, uint64_t v) = 0;
    virtual void hex(const char* name, int32_t v) = 0;
    virtual void hex(const char* name, uint32_t v) = 0;
    virtual void hex(const char* name, int16_t v) = 0;
    virtual void hex(const char* name, uint16_t v) = 0;
    virtual void hex(const char* name, int8_t v) = 0;
    virtual void hex(const char* name, uint8_t v) = 0;
    virtual void hexValue(int64_t v) = 0;
    virtual void hexValue(uint64_t v) = 0;
    virtual void hexValue(int32_t v) = 0;
    virtual void hexValue(uint32_t v) = 0;
    virtual void hexValue(int16_t v) = 0;
    virtual void hexValue(uint16_t v) = 0;
    virtual void hexValue(int8_t v) = 0;
    virtual void hexValue(uint8_t v) = 0;
    virtual void indent() = 0;
    virtual void unindent() = 0;
    virtual ~IFormatter() = default;

    // Conveniences over the slots above.
    void write(const char* name, const std::string& text) { write(name, text.c_str()); }
    void line(const std::string& text) { line(text.c_str()); }
};

}  // namespace Dump
