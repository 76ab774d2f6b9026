#pragma once
#include <cstdint>

#include "serialization/ISerializable.h"
#include "serialization/SerialTypeID.h"
#include "serialization/TypeIds.h"

namespace Marshal {

// The 12-byte object header: magic 0xABCD, header version 1, class version, type id, payload length.
//
// Writing:  Header h(TypeIds::Fiber); h.serialize(w); <fields>; h.finishWrite(w);
// Reading:  Header h; if (auto st = h.begin(r, TypeIds::Fiber)) return st;
//           <fields, gated on h.classVersion>; return h.finishRead(r, r.failed() ? readError : ok);
class Header : public ISerializable {
public:
    static constexpr uint16_t kMagic = 0xABCD;
    static constexpr uint8_t kHeaderVersion = 1;
    static constexpr uint32_t kSize = 12;

    Header() = default;
    Header(uint8_t classVersion, SerialTypeID typeId);
    explicit Header(const TypeInfo& info);

    // Writes the header with length 0 and remembers where to patch it.
    void serialize(IObjectWriter& w) const override;
    // Reads and validates the 12 bytes (magic, header version).
    StreamOpStatus deserialize(IObjectReader& r) override;

    StreamOpStatus check(uint8_t maxVersion, uint32_t expectedTypeId) const;
    void finishWrite(IObjectWriter& w) const;
    // Leaves the reader at the end of this object's payload whatever was read; returns the final status.
    // A stored length that points outside the reader's buffer fails with readError.
    StreamOpStatus finishRead(IObjectReader& r, StreamOpStatus status) const;

    // deserialize() followed by check() against the registry entry.
    StreamOpStatus begin(IObjectReader& r, const TypeInfo& info);

    // Bytes of payload left before the end of this object, from the reader's position (0 when past it).
    uint32_t payloadRemaining(IObjectReader& r) const;

    mutable int32_t _lengthPos = -1;
    mutable int32_t _payloadPos = -1;
    uint16_t magic = kMagic;
    uint8_t headerVersion = kHeaderVersion;
    uint8_t classVersion = 0;
    SerialTypeID typeId;
    mutable uint32_t length = 0;
};

// Reads the header of the object at the reader's position and steps back, giving its packed type id: how a
// reader picks the class of an object before reading it.
StreamOpStatus peekTypeId(IObjectReader& r, uint32_t& typeId);

}  // namespace Marshal
