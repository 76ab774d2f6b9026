#include "serialization/Header.h"

#include "serialization/Assert.h"

namespace Marshal {

Header::Header(uint8_t version, SerialTypeID id) : classVersion(version), typeId(id) {}

Header::Header(const TypeInfo& info) : classVersion(info.version), typeId(info.domain, info.code) {}

void Header::serialize(IObjectWriter& w) const {
    w.write(magic);
    w.write(headerVersion);
    w.write(classVersion);
    typeId.serialize(w);
    _lengthPos = w.seek(0, current);
    w.write(length);
    _payloadPos = w.seek(0, current);
}

void Header::finishWrite(IObjectWriter& w) const {
    const int32_t endPos = w.seek(0, current);
    KX_ASSERT(_lengthPos >= 0);
    KX_ASSERT(_payloadPos >= 0);
    KX_ASSERT(endPos >= _payloadPos);
    length = static_cast<uint32_t>(endPos - _payloadPos);
    w.seek(_lengthPos, StreamPosition::begin);
    w.write(length);
    w.seek(endPos, StreamPosition::begin);
}

StreamOpStatus Header::deserialize(IObjectReader& r) {
    if (!r.read(magic)) return readError;
    if (magic != kMagic) return badMagic;
    if (!r.read(headerVersion)) return readError;
    if (headerVersion > kHeaderVersion) return headerVersionTooNew;
    if (!r.read(classVersion)) return readError;
    if (typeId.deserialize(r) != ok) return readError;
    if (!r.read(length)) return readError;
    _payloadPos = r.seek(0, current);
    return ok;
}

StreamOpStatus Header::check(uint8_t maxVersion, uint32_t expectedTypeId) const {
    if (typeId.packed() != expectedTypeId) return invalidData;
    if (classVersion > maxVersion) return versionTooNew;
    return ok;
}

StreamOpStatus Header::begin(IObjectReader& r, const TypeInfo& info) {
    if (auto st = deserialize(r); st != ok) return st;
    return check(info.version, info.id());
}

uint32_t Header::payloadRemaining(IObjectReader& r) const {
    const int64_t end = static_cast<int64_t>(_payloadPos) + length;
    const int64_t pos = r.seek(0, current);
    return end > pos ? static_cast<uint32_t>(end - pos) : 0;
}

StreamOpStatus peekTypeId(IObjectReader& r, uint32_t& typeId) {
    const int32_t pos = r.seek(0, current);
    Header h;
    const auto st = h.deserialize(r);
    r.seek(pos, begin);
    if (st != ok) return st;
    typeId = h.typeId.packed();
    return ok;
}

StreamOpStatus Header::finishRead(IObjectReader& r, StreamOpStatus status) const {
    const int32_t pos = r.seek(0, current);
    if (_payloadPos < 0 || pos < 0) return status != ok ? status : readError;
    const int64_t end = static_cast<int64_t>(_payloadPos) + length;
    const int64_t rest = end - pos;
    if (rest == 0) return status;
    if (length != 0) {
        // A corrupt length must not drive the seek outside the buffer.
        if (end > static_cast<int64_t>(r.size())) return readError;
        r.seek(static_cast<int32_t>(rest), current);
    }
    return status != ok ? status : sizeMismatch;
}

}  // namespace Marshal
