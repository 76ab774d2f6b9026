#pragma once
#include <cstdint>

#include "serialization/IObjectReader.h"

namespace Marshal {

// Reader over a caller-owned buffer (which must outlive it); the buffer may be empty. The failure flag is
// sticky: once a read did not fit, failed() stays true, while later reads that do fit still deliver their bytes.
class ByteStreamReader : public IObjectReader {
public:
    ByteStreamReader(const uint8_t* data, uint32_t size);

    bool read(std::string& s) override;
    bool read(double* v, uint32_t count) override;
    bool read(float* v, uint32_t count) override;
    bool read(double& v) override;
    bool read(float& v) override;
    bool read(bool& v) override;
    bool read(int64_t* v, uint32_t count) override;
    bool read(uint64_t* v, uint32_t count) override;
    bool read(int32_t* v, uint32_t count) override;
    bool read(uint32_t* v, uint32_t count) override;
    bool read(int16_t* v, uint32_t count) override;
    bool read(uint16_t* v, uint32_t count) override;
    bool read(int8_t* v, uint32_t count) override;
    bool read(uint8_t* v, uint32_t count) override;
    bool read(bool* v, uint32_t count) override;
    bool read(char* v, uint32_t count) override;
    bool read(int64_t& v) override;
    bool read(uint64_t& v) override;
    bool read(int32_t& v) override;
    bool read(uint32_t& v) override;
    bool read(int16_t& v) override;
    bool read(uint16_t& v) override;
    bool read(int8_t& v) override;
    bool read(uint8_t& v) override;
    bool read(char& v) override;
    int32_t seek(int32_t offset, StreamPosition base) override;
    bool failed() const override { return _failed; }
    // Position of the first read that did not fit (meaningful once failed() is true).
    uint32_t failedAt() const { return _failedAt; }
    uint32_t remaining() const override { return _size - _pos; }
    uint32_t size() const override { return _size; }

private:
    template <typename T>
    bool readArray(T* v, uint32_t count);
    bool fail();

    const uint8_t* _data;
    uint32_t _pos = 0;
    uint32_t _size = 0;
    bool _failed = false;
    uint32_t _failedAt = 0;
};

}  // namespace Marshal
