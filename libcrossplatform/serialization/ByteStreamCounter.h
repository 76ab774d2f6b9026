#pragma once
#include <cstdint>

#include "serialization/IObjectWriter.h"

namespace Marshal {

// Counts exactly the bytes a ByteStreamBuilder would hold after the same calls; stores nothing.
class ByteStreamCounter : public IObjectWriter {
public:
    ByteStreamCounter() = default;

    void write(const std::string& s) override;
    void write(const double*, uint32_t count) override { add(8ull * count); }
    void write(const float*, uint32_t count) override { add(4ull * count); }
    void write(const int64_t*, uint32_t count) override { add(8ull * count); }
    void write(const uint64_t*, uint32_t count) override { add(8ull * count); }
    void write(const int32_t*, uint32_t count) override { add(4ull * count); }
    void write(const uint32_t*, uint32_t count) override { add(4ull * count); }
    void write(const int16_t*, uint32_t count) override { add(2ull * count); }
    void write(const uint16_t*, uint32_t count) override { add(2ull * count); }
    void write(const int8_t*, uint32_t count) override { add(count); }
    void write(const uint8_t*, uint32_t count) override { add(count); }
    void write(const char*, uint32_t count) override { add(count); }
    void write(const bool*, uint32_t count) override { add(count); }
    void write(double) override { add(8); }
    void write(float) override { add(4); }
    void write(int64_t) override { add(8); }
    void write(uint64_t) override { add(8); }
    void write(int32_t) override { add(4); }
    void write(uint32_t) override { add(4); }
    void write(int16_t) override { add(2); }
    void write(uint16_t) override { add(2); }
    void write(int8_t) override { add(1); }
    void write(uint8_t) override { add(1); }
    void write(char) override { add(1); }
    void write(bool) override { add(1); }
    int32_t seek(int32_t offset, StreamPosition base) override;
    int32_t size() const override { return _size; }

private:
    void add(uint64_t n);

    int32_t _size = 0;
    int32_t _pos = 0;
};

}  // namespace Marshal
