#include "serialization/ByteStreamBuilder.h"

#include <cstring>

#include "serialization/Assert.h"
#include "serialization/LittleEndian.h"
#include "serialization/SeekTarget.h"

namespace Marshal {

ByteStreamBuilder::ByteStreamBuilder(uint32_t reserve) { _buf.reserve(reserve); }

void ByteStreamBuilder::write(const uint8_t* v, uint32_t n) {
    if (v == nullptr || n == 0) return;
    const size_t end = static_cast<size_t>(_pos) + n;
    if (end > _buf.capacity()) _buf.reserve(end);
    if (end > _buf.size()) _buf.resize(end);
    std::memcpy(_buf.data() + _pos, v, n);
    _pos = static_cast<int32_t>(end);
    if (_size < _pos) _size = _pos;
}

void ByteStreamBuilder::write(uint8_t v) {
    if (static_cast<size_t>(_pos) == _buf.size()) _buf.push_back(0);
    _buf[_pos] = v;
    if (_pos == _size) ++_size;
    ++_pos;
}

template <typename T>
void ByteStreamBuilder::writeArray(const T* v, uint32_t count) {
    if (v == nullptr || count == 0) return;
    // Grow once, then store each element's little-endian image in place.
    const size_t bytes = static_cast<size_t>(count) * sizeof(T);
    const size_t end = static_cast<size_t>(_pos) + bytes;
    if (end > _buf.capacity()) _buf.reserve(end);
    if (end > _buf.size()) _buf.resize(end);
    uint8_t* out = _buf.data() + _pos;
    for (uint32_t i = 0; i < count; ++i) LittleEndian::store(out + i * sizeof(T), v[i]);
    _pos = static_cast<int32_t>(end);
    if (_size < _pos) _size = _pos;
}

void ByteStreamBuilder::write(const std::string& s) {
    // Longer strings cannot be represented: only the first 65535 bytes are kept, so the stream stays readable.
    const uint16_t len = static_cast<uint16_t>(s.size() > 0xFFFF ? 0xFFFF : s.size());
    write(len);
    write(reinterpret_cast<const uint8_t*>(s.data()), len);
}

void ByteStreamBuilder::write(const double* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const float* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const int64_t* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const uint64_t* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const int32_t* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const uint32_t* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const int16_t* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const uint16_t* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const int8_t* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const char* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(const bool* v, uint32_t c) { writeArray(v, c); }
void ByteStreamBuilder::write(double v) { writeArray(&v, 1); }
void ByteStreamBuilder::write(float v) { writeArray(&v, 1); }
void ByteStreamBuilder::write(int64_t v) { writeArray(&v, 1); }
void ByteStreamBuilder::write(uint64_t v) { writeArray(&v, 1); }
void ByteStreamBuilder::write(int32_t v) { writeArray(&v, 1); }
void ByteStreamBuilder::write(uint32_t v) { writeArray(&v, 1); }
void ByteStreamBuilder::write(int16_t v) { writeArray(&v, 1); }
void ByteStreamBuilder::write(uint16_t v) { writeArray(&v, 1); }
void ByteStreamBuilder::write(int8_t v) { write(static_cast<uint8_t>(v)); }
void ByteStreamBuilder::write(char v) { write(static_cast<uint8_t>(v)); }
void ByteStreamBuilder::write(bool v) { write(static_cast<uint8_t>(v ? 1 : 0)); }

int32_t ByteStreamBuilder::seek(int32_t offset, StreamPosition base) {
    _pos = seekTarget(offset, base, _pos, _size);
    return _pos;
}

}  // namespace Marshal
