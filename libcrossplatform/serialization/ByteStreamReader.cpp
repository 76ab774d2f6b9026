#include "serialization/ByteStreamReader.h"

#include <cstring>

#include "serialization/Assert.h"
#include "serialization/LittleEndian.h"
#include "serialization/SeekTarget.h"

namespace Marshal {

ByteStreamReader::ByteStreamReader(const uint8_t* data, uint32_t size) : _data(data), _size(size) {
    // An empty buffer is a stream whose every read fails, so callers need no guard of their own.
    KX_ASSERT(_data != nullptr || size == 0);
}

// Sticky like the flag: the first failure is where the data went wrong, later ones only follow from it.
bool ByteStreamReader::fail() {
    if (!_failed) _failedAt = _pos;
    _failed = true;
    return false;
}

bool ByteStreamReader::read(uint8_t* dest, uint32_t n) {
    if (n == 0) return true;
    if (n > _size - _pos) return fail();
    KX_ASSERT(dest != nullptr);
    std::memcpy(dest, _data + _pos, n);
    _pos += n;
    return true;
}

bool ByteStreamReader::read(uint8_t& v) {
    if (_pos >= _size) return fail();
    v = _data[_pos++];
    return true;
}

template <typename T>
bool ByteStreamReader::readArray(T* v, uint32_t count) {
    if (count == 0) return true;
    const uint64_t bytes = static_cast<uint64_t>(count) * sizeof(T);
    if (bytes > _size - _pos) return fail();
    KX_ASSERT(v != nullptr);
    const uint8_t* in = _data + _pos;
    for (uint32_t i = 0; i < count; ++i) v[i] = LittleEndian::load<T>(in + i * sizeof(T));
    _pos += static_cast<uint32_t>(bytes);
    return true;
}

bool ByteStreamReader::read(std::string& s) {
    if (_size - _pos < 2) return fail();
    uint16_t len = 0;
    read(len);
    // The length is at most 65535, so sizing the string from it is bounded.
    s.assign(len, '\0');
    return read(reinterpret_cast<uint8_t*>(s.data()), len);
}

bool ByteStreamReader::read(double* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(float* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(double& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(float& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(bool& v) {
    uint8_t b = 0;
    if (!read(b)) return false;
    v = b != 0;
    return true;
}
bool ByteStreamReader::read(int64_t* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(uint64_t* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(int32_t* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(uint32_t* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(int16_t* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(uint16_t* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(int8_t* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(bool* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(char* v, uint32_t c) { return readArray(v, c); }
bool ByteStreamReader::read(int64_t& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(uint64_t& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(int32_t& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(uint32_t& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(int16_t& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(uint16_t& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(int8_t& v) { return readArray(&v, 1); }
bool ByteStreamReader::read(char& v) { return readArray(&v, 1); }

int32_t ByteStreamReader::seek(int32_t offset, StreamPosition base) {
    _pos = static_cast<uint32_t>(seekTarget(offset, base, _pos, _size));
    return static_cast<int32_t>(_pos);
}

}  // namespace Marshal
