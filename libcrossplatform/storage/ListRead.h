#pragma once
// Shared steps of reading the project's lists of framed objects.
#include <cstddef>
#include <cstdint>

#include "serialization/Header.h"
#include "serialization/IObjectReader.h"
#include "serialization/StoredCount.h"

namespace Project {

// Reads the next object's header and steps back, giving its packed type id.
inline Marshal::StreamOpStatus peekTypeId(Marshal::IObjectReader& r, uint32_t& typeId) {
    const int32_t pos = r.seek(0, Marshal::current);
    Marshal::Header h;
    const auto st = h.deserialize(r);
    r.seek(pos, Marshal::begin);
    if (st != Marshal::ok) return st;
    typeId = h.typeId.packed();
    return Marshal::ok;
}

// Every element is a framed object of at least a header; a count that cannot fit is refused up front.
inline bool countFits(Marshal::IObjectReader& r, uint32_t count) { return r.fits(count, Marshal::Header::kSize); }

// Lists store a uint16 count; a longer list is written as its first 65535 elements.
inline uint16_t listCount(size_t size) { return Marshal::storedCount<uint16_t>(size); }

}  // namespace Project
