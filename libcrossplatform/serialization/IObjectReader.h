#pragma once
#include <cstdint>
#include <string>

#include "serialization/StreamPosition.h"

namespace Marshal {

// Bounds-checked primitive reader. Every read returns false when the bytes are not there and sets a sticky
// failure flag; deserializers read all fields and consult failed() once.
class IObjectReader {
public:
    virtual ~IObjectReader() = default;
    virtual bool read(std::string& s) = 0;
    virtual bool read(double* v, uint32_t count) = 0;
    virtual bool read(float* v, uint32_t count) = 0;
    virtual bool read(double& v) = 0;
    virtual bool read(float& v) = 0;
    virtual bool read(bool& v) = 0;
    virtual bool read(int64_t* v, uint32_t count) = 0;
    virtual bool read(uint64_t* v, uint32_t count) = 0;
    virtual bool read(int32_t* v, uint32_t count) = 0;
    virtual bool read(uint32_t* v, uint32_t count) = 0;
    virtual bool read(int16_t* v, uint32_t count) = 0;
    virtual bool read(uint16_t* v, uint32_t count) = 0;
    virtual bool read(int8_t* v, uint32_t count) = 0;
    virtual bool read(uint8_t* v, uint32_t count) = 0;
    virtual bool read(bool* v, uint32_t count) = 0;
    virtual bool read(char* v, uint32_t count) = 0;
    virtual bool read(int64_t& v) = 0;
    virtual bool read(uint64_t& v) = 0;
    virtual bool read(int32_t& v) = 0;
    virtual bool read(uint32_t& v) = 0;
    virtual bool read(int16_t& v) = 0;
    virtual bool read(uint16_t& v) = 0;
    virtual bool read(int8_t& v) = 0;
    virtual bool read(uint8_t& v) = 0;
    virtual bool read(char& v) = 0;
    virtual int32_t seek(int32_t offset, StreamPosition base) = 0;
    virtual bool failed() const = 0;
    virtual uint32_t remaining() const = 0;
    virtual uint32_t size() const = 0;

    int32_t position() { return seek(0, current); }

    // True when `count` elements of at least `width` bytes each can still be in the stream.
    // Every stored count is checked with this before it sizes an allocation or a loop.
    bool fits(uint64_t count, uint64_t width) const { return width == 0 ? true : count <= remaining() / width; }
};

}  // namespace Marshal
