#pragma once
// "A stored count, then that many items", read and written in one place. A count is checked against the
// bytes left before it sizes an allocation or drives a loop, and that check is part of the read, so no
// caller can forget it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/StoredCount.h"
#include "serialization/StreamOpStatus.h"

namespace Marshal {

// Reads a count stored as Count. False when the stream has already failed, or when `count` elements of at
// least minWireSize bytes each cannot be in the bytes left. A negative signed count holds no elements.
template <typename Count>
bool readCount(IObjectReader& r, size_t minWireSize, uint32_t& count) {
    static_assert(std::is_integral_v<Count> && sizeof(Count) <= sizeof(uint32_t), "counts are at most 32 bits");
    Count stored = 0;
    r.read(stored);
    count = 0;
    if (r.failed()) return false;
    if constexpr (std::is_signed_v<Count>) {
        if (stored <= 0) return true;
    }
    if (!r.fits(static_cast<uint32_t>(stored), minWireSize)) return false;
    count = static_cast<uint32_t>(stored);
    return true;
}

// Reads the count, then calls readOne(r) once per element; readOne may return a status (the first failure is
// passed up) or nothing (the reader's sticky flag then tells). A refused count is readError.
template <typename Count, typename ReadOne>
StreamOpStatus readEach(IObjectReader& r, size_t minWireSize, ReadOne&& readOne) {
    uint32_t count = 0;
    if (!readCount<Count>(r, minWireSize, count)) return readError;
    for (uint32_t i = 0; i < count; ++i) {
        if constexpr (std::is_void_v<std::invoke_result_t<ReadOne&, IObjectReader&>>) {
            readOne(r);
        } else if (const StreamOpStatus st = readOne(r)) {
            return st;
        }
    }
    return ok;
}

// Replaces `out` with the stored count of elements, each read by readOne(r, element). After a failure `out`
// holds the elements before the failing one, never a half-read or default one.
template <typename Count, typename T, typename ReadOne>
StreamOpStatus readList(IObjectReader& r, std::vector<T>& out, size_t minWireSize, ReadOne&& readOne) {
    out.clear();
    uint32_t count = 0;
    if (!readCount<Count>(r, minWireSize, count)) return readError;
    out.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        T e{};
        if constexpr (std::is_void_v<std::invoke_result_t<ReadOne&, IObjectReader&, T&>>) {
            readOne(r, e);
        } else if (const StreamOpStatus st = readOne(r, e)) {
            return st;
        }
        out.push_back(std::move(e));
    }
    return ok;
}

// Replaces `out` with the stored count of objects, each read by its own deserialize().
template <typename Count, typename T>
StreamOpStatus readList(IObjectReader& r, std::vector<T>& out, size_t minWireSize) {
    return readList<Count>(r, out, minWireSize, [](IObjectReader& in, T& e) { return e.deserialize(in); });
}

// Replaces `out` with the stored count of primitives, read in one call.
template <typename Count, typename T>
StreamOpStatus readValues(IObjectReader& r, std::vector<T>& out) {
    static_assert(std::is_arithmetic_v<T>, "primitives only");
    out.clear();
    uint32_t count = 0;
    if (!readCount<Count>(r, sizeof(T), count)) return readError;
    out.resize(count);
    if (count > 0 && !r.read(out.data(), count)) return readError;
    return ok;
}

// A uint32 length that counts a terminating NUL, then the characters. An empty field or one longer than
// maxLength is invalidData, a field longer than the bytes left is readError; the text ends at its first NUL.
inline StreamOpStatus readNulTerminated(IObjectReader& r, uint32_t maxLength, std::string& out) {
    uint32_t n = 0;
    if (!r.read(n)) return readError;
    if (n == 0 || n > maxLength) return invalidData;
    if (!r.fits(n, 1)) return readError;
    std::string raw(n, '\0');
    r.read(raw.data(), n);
    if (raw.back() != '\0') return invalidData;
    out = raw.c_str();
    return ok;
}

// Writes the count stored for `size` elements as Count and returns it: how many elements to write after it.
template <typename Count>
Count writeCount(IObjectWriter& w, size_t size) {
    const Count count = storedCount<Count>(size);
    w.write(count);
    return count;
}

// The count, then as many elements as it holds, each written by its own serialize().
template <typename Count, typename T>
void writeList(IObjectWriter& w, const std::vector<T>& list) {
    const Count count = writeCount<Count>(w, list.size());
    for (size_t i = 0; i < count; ++i) list[i].serialize(w);
}

}  // namespace Marshal
