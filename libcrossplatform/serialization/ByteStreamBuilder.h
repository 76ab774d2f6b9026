#pragma once
#include <cstdint>
#include <vector>

#include "serialization/IObjectWriter.h"

namespace Marshal {

// Appends into an owned, growable buffer; can seek back to patch earlier bytes (the length field of a header).
class ByteStreamBuilder : public IObjectWriter {
public:
    explicit ByteStreamBuilder(uint32_t reserve = 0);

    void write(const std::string& s) override;
    void write(const double* v, uint32_t count) override;
    void write(const float* v, uint32_t count) override;
    void write(const int64_t* v, uint32_t count) override;
    void write(const uint64_t* v, uint32_t count) override;
    void write(const int32_t* v, uint32_t count) override;
    void write(const uint32_t* v, uint32_t count) override;
    void write(const int16_t* v, uint32_t count) override;
    void write(const uint16_t* v, uint32_t count) override;
    void write(const int8_t* v, uint32_t count) override;
    void write(const uint8_t* v, uint32_t count) override;
    void write(const char* v, uint32_t count) override;
    void write(const bool* v, uint32_t count) override;
    void write(double v) override;
    void write(float v) override;
    void write(int64_t v) override;
    void write(uint64_t v) override;
    void write(int32_t v) override;
    void write(uint32_t v) override;
    void write(int16_t v) override;
    void write(uint16_t v) override;
    void write(int8_t v) override;
    void write(uint8_t v) override;
    void write(char v) override;
    void write(bool v) override;
    int32_t seek(int32_t offset, StreamPosition base) override;
    int32_t size() const override { return _size; }

    // The stream's bytes: the first size() bytes of the buffer.
    const uint8_t* data() const { return _buf.data(); }
    std::vector<uint8_t> bytes() const { return {_buf.begin(), _buf.begin() + _size}; }

private:
    template <typename T>
    void writeArray(const T* v, uint32_t count);

    std::vector<uint8_t> _buf;
    int32_t _pos = 0;
    int32_t _size = 0;
};

}  // namespace Marshal
