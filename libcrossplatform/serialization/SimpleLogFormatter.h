#pragma once
#include <cstdint>
#include <string>

#include "serialization/IFormatter.h"

namespace Dump {

// Writes each entry as one line to the system log (LogSink.h), indented with tabs (at most ten).
class SimpleLogFormatter : public IFormatter {
public:
    static constexpr int32_t kMaxIndent = 10;
    static constexpr int32_t kMaxFacility = 29;
    static constexpr int32_t kMaxSeverity = 5;
    static constexpr size_t kBufferSize = 15872;

    // A facility above 29 or a severity above 5 is a programming error.
    SimpleLogFormatter(int32_t facility, int32_t severity);
    void set(int32_t facility, int32_t severity);

    using IFormatter::line;
    using IFormatter::write;

    void write(const char* name, std::ostringstream& text) override;
    void line(std::ostringstream& text) override;
    void write(const char* name, const char* text) override;
    void write(const char* name, double v) override;
    void write(const char* name, float v) override;
    void write(const char* name, int64_t v) override;
    void write(const char* name, uint64_t v) override;
    void write(const char* name, int32_t v) override;
    void write(const char* name, uint32_t v) override;
    void write(const char* name, int16_t v) override;
    void write(const char* name, uint16_t v) override;
    void write(const char* name, int8_t v) override;
    void write(const char* name, uint8_t v) override;
    void write(const char* name, const void* v) override;
    void write(const char* name, bool v) override;
    void value(double v) override;
    void value(float v) override;
    void value(int64_t v) override;
    void value(uint64_t v) override;
    void value(int32_t v) override;
    void value(uint32_t v) override;
    void value(int16_t v) override;
    void value(uint16_t v) override;
    void value(int8_t v) override;
    void value(uint8_t v) override;
    void value(const void* v) override;
    void value(bool v) override;
    void value(const std::string& v) override;
    void line(const char* text) override;
    void hex(const char* name, int64_t v) override;
    void hex(const char* name, uint64_t v) override;
    void hex(const char* name, int32_t v) override;
    void hex(const char* name, uint32_t v) override;
    void hex(const char* name, int16_t v) override;
    void hex(const char* name, uint16_t v) override;
    void hex(const char* name, int8_t v) override;
    void hex(const char* name, uint8_t v) override;
    void hexValue(int64_t v) override;
    void hexValue(uint64_t v) override;
    void hexValue(int32_t v) override;
    void hexValue(uint32_t v) override;
    void hexValue(int16_t v) override;
    void hexValue(uint16_t v) override;
    void hexValue(int8_t v) override;
    void hexValue(uint8_t v) override;
    void indent() override;
    void unindent() override;

    int32_t indentation() const { return _indent; }
    int32_t facility() const { return _facility; }
    int32_t severity() const { return _severity; }

private:
    // A named entry: "<name> = <value text>", the name cut so the line fits.
    void named(const char* name, const std::string& valueText);
    // One line after the tabs; the content is cut to the room left.
    void emit(const std::string& content);
    size_t room() const;

    int32_t _indent = 0;
    int32_t _facility = 0;
    int32_t _severity = 0;
    std::string _line;  // the line buffer, never longer than kBufferSize - 1
};

}  // namespace Dump
