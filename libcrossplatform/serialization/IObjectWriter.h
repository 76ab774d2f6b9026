#pragma once
#include <cstdint>
#include <string>

#include "serialization/StreamPosition.h"

namespace Marshal {

// Little-endian primitive writer; no tags, no padding. Strings are a uint16 byte length and the bytes.
// Array writes carry no count: the owning class writes its own.
class IObjectWriter {
public:
    virtual ~IObjectWriter() = default;
    virtual void write(const std::string& s) = 0;
    virtual void write(const double* v, uint32_t count) = 0;
    virtual void write(const float* v, uint32_t count) = 0;
    virtual void write(const int64_t* v, uint32_t count) = 0;
    virtual void write(const uint64_t* v, uint32_t count) = 0;
    virtual void write(const int32_t* v, uint32_t count) = 0;
    virtual void write(const uint32_t* v, uint32_t count) = 0;
    virtual void write(const int16_t* v, uint32_t count) = 0;
    virtual void write(const uint16_t* v, uint32_t count) = 0;
    virtual void write(const int8_t* v, uint32_t count) = 0;
    virtual void write(const uint8_t* v, uint32_t count) = 0;
    virtual void write(const char* v, uint32_t count) = 0;
    virtual void write(const bool* v, uint32_t count) = 0;
    virtual void write(double v) = 0;
    virtual void write(float v) = 0;
    virtual void write(int64_t v) = 0;
    virtual void write(uint64_t v) = 0;
    virtual void write(int32_t v) = 0;
    virtual void write(uint32_t v) = 0;
    virtual void write(int16_t v) = 0;
    virtual void write(uint16_t v) = 0;
    virtual void write(int8_t v) = 0;
    virtual void write(uint8_t v) = 0;
    virtual void write(char v) = 0;
    virtual void write(bool v) = 0;
    virtual int32_t seek(int32_t offset, StreamPosition base) = 0;
    virtual int32_t size() const = 0;

    // The current position (seek(0, current)).
    int32_t position() { return seek(0, current); }
};

}  // namespace Marshal
