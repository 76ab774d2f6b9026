#include "serialization/ByteStreamCounter.h"

#include "serialization/SeekTarget.h"

namespace Marshal {

void ByteStreamCounter::add(uint64_t n) {
    _pos = static_cast<int32_t>(static_cast<int64_t>(_pos) + static_cast<int64_t>(n));
    if (_size < _pos) _size = _pos;
}

void ByteStreamCounter::write(const std::string& s) {
    // Mirrors the builder, which keeps at most 65535 bytes of a string.
    add(2 + (s.size() > 0xFFFF ? 0xFFFF : s.size()));
}

int32_t ByteStreamCounter::seek(int32_t offset, StreamPosition base) {
    _pos = seekTarget(offset, base, _pos, _size);
    return _pos;
}

}  // namespace Marshal
