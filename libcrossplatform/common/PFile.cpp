// Section model of the container: header, payload, checksums and compression.
#include "common/PFile.h"

#include <zlib.h>

#include <cstdio>
#include <limits>
#include <new>

#include "common/PFileMessages.h"
#include "serialization/ByteStreamBuilder.h"
#include "serialization/LittleEndian.h"
#include "serialization/ReadObject.h"

namespace PFile {

namespace {

constexpr const char* kShort = "Section";

uint32_t crcOf(const uint8_t* data, uint32_t size) {
    if (data == nullptr || size == 0) return 0;
    return static_cast<uint32_t>(::crc32(0L, data, size));
}

// CRC of the first 16 bytes of the serialized header (everything but hdrCrc itself).
uint32_t headerCrc(const Header& h) {
    Marshal::ByteStreamBuilder b(kSectionHeaderSize);
    h.serialize(b);
    return crcOf(b.data(), kSectionHeaderSize - 4);
}

int zlibLevel(uint16_t flags) {
    const int level = (flags >> 12) & 0xF;
    return level <= 9 ? level : Z_DEFAULT_COMPRESSION;
}

}  // namespace

const char* toString(FailureKind kind) {
    switch (kind) {
        case FailureKind::none: return "no failure";
        case FailureKind::misuse: return "reader misuse";
        case FailureKind::empty: return "empty";
        case FailureKind::containerTooLarge: return "container too large";
        case FailureKind::io: return "read error";
        case FailureKind::truncated: return "truncated";
        case FailureKind::headerCrc: return "header CRC mismatch";
        case FailureKind::dataCrc: return "data CRC mismatch";
        case FailureKind::sectionTooLarge: return "section too large";
        case FailureKind::inflate: return "inflate failed";
        case FailureKind::noFileHeader: return "no file header";
    }
    return "unknown failure";
}

// ---- Header ----

void Header::serialize(Marshal::IObjectWriter& w) const {
    w.write(magic);
    w.write(type);
    w.write(version);
    w.write(flags);
    w.write(dataSize);
    w.write(dataCrc);
    w.write(hdrCrc);
}

Marshal::StreamOpStatus Header::deserialize(Marshal::IObjectReader& r) {
    // The magic is not checked here: the header CRC covers it.
    r.read(magic);
    r.read(type);
    r.read(version);
    r.read(flags);
    r.read(dataSize);
    r.read(dataCrc);
    r.read(hdrCrc);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void Header::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    f.line("Header");
    f.indent();
    f.write("type", type);
    f.write("version", version);
    f.write("flags", flags);
    f.write("dataSize", dataSize);
    f.write("dataCrc", dataCrc);
    f.write("hdrCrc", hdrCrc);
    f.unindent();
}

// ---- Payload ----

Payload::~Payload() = default;

void Payload::reset(uint8_t* newData, uint32_t newSize, bool newOwned) {
    if (newOwned) {
        std::vector<uint8_t> bytes(newData, newData + newSize);
        delete[] newData;
        adopt(std::move(bytes));
        return;
    }
    // Borrowing the bytes it already owns keeps them alive.
    if (!(owned && newData == data)) {
        _bytes = {};
        owned = false;
    }
    data = newData;
    size = newSize;
}

void Payload::adopt(std::vector<uint8_t> bytes) {
    _bytes = std::move(bytes);
    data = _bytes.data();
    size = static_cast<uint32_t>(_bytes.size());
    owned = true;
}

void Payload::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.line("class Payload");
    f.indent();
    f.write("size", size);
    if (flags.detail >= 2 && data != nullptr) {
        f.line("Payload Data");
        // Sixteen bytes per line keeps large payloads readable.
        char text[16 * 3 + 1];
        for (uint32_t at = 0; at < size; at += 16) {
            size_t len = 0;
            for (uint32_t i = at; i < size && i < at + 16; ++i)
                len += static_cast<size_t>(std::snprintf(text + len, sizeof text - len, "%02x ", data[i]));
            if (len > 0) text[len - 1] = '\0';
            f.line(text);
        }
    }
    f.unindent();
}

// ---- Section ----

int32_t Section::set(uint16_t type, uint16_t version, SECTION_FLAGS flags, uint8_t* data, uint32_t size, bool owned,
                     int32_t level) {
    PF_ENTER(callbacks, kShort, "PFile::Section::set");
    payload.reset(data, size, owned);
    return setHeader(type, version, flags, level);
}

int32_t Section::setHeader(uint16_t type, uint16_t version, SECTION_FLAGS flags, int32_t level) {
    compressed = false;
    const bool compress = (flags & SECTION_FLAG_COMPRESSED) != 0;
    // Only bit 0 and, when compressed, the level in bits 12-15 are stored.
    uint16_t stored = compress ? 1 : 0;
    if (compress) {
        const int32_t lv = (level >= 0 && level <= 9) ? level : 6;
        stored = static_cast<uint16_t>(stored | (lv << 12));
    }
    header.type = type;
    header.version = version;
    header.flags = stored;
    if (compress && compressData() != 0) return -1;
    refreshHeader();
    return 0;
}

int32_t Section::setCopy(uint16_t type, uint16_t version, SECTION_FLAGS flags, const std::vector<uint8_t>& bytes,
                         int32_t level) {
    if (bytes.size() > Marshal::kMaxStreamSize) {
        PF_ERROR(callbacks, kShort, "PFile::Section::setCopy", "Section data too big.");
        return -1;
    }
    // set() over a copy the payload owns.
    PF_ENTER(callbacks, kShort, "PFile::Section::set");
    if (bytes.empty())
        payload.reset(nullptr, 0, false);
    else
        payload.adopt(bytes);
    return setHeader(type, version, flags, level);
}

void Section::refreshHeader() {
    header.dataSize = payload.size;
    header.dataCrc = crcOf(payload.data, payload.size);
    header.hdrCrc = headerCrc(header);
}

bool Section::headerCrcOk() const { return headerCrc(header) == header.hdrCrc; }

bool Section::verifyDataCrc() const {
    constexpr const char* op = "PFile::Section::verifyDataCrc";
    PF_ENTER(callbacks, kShort, op);
    if (payload.data == nullptr || payload.size == 0) {
        PF_ERROR(callbacks, kShort, op, "Data not initialized.");
        return false;
    }
    const uint32_t crc = crcOf(payload.data, payload.size);
    PF_DEBUG(callbacks, kShort, op, "Calculated CRC: %d, Stored CRC: %d", static_cast<int>(crc),
             static_cast<int>(header.dataCrc));
    return crc == header.dataCrc;
}

int32_t Section::compressData() {
    constexpr const char* op = "PFile::Section::compressData";
    PF_ENTER(callbacks, kShort, op);
    if (compressed) {
        PF_ERROR(callbacks, kShort, op, "Data is already compressed.");
        return -1;
    }
    if (payload.data == nullptr || payload.size == 0) {
        PF_ERROR(callbacks, kShort, op, "Section data is not set.");
        return -1;
    }
    const uint32_t original = payload.size;
    const int level = zlibLevel(header.flags);
    uint64_t bound = static_cast<uint64_t>(static_cast<double>(original) * 1.001 + 12.0);

    // The stored form (4 + compressed bytes) must stay addressable by int32 positions.
    std::vector<uint8_t> buf;
    auto attempt = [&](uLongf& destLen) -> int {
        if (original > Marshal::kMaxStreamSize || bound + 4 > Marshal::kMaxStreamSize) return Z_MEM_ERROR;
        try {
            buf.assign(bound + 4, 0);
        } catch (const std::bad_alloc&) {
            return Z_MEM_ERROR;
        }
        Marshal::LittleEndian::store<uint32_t>(buf.data(), original);
        destLen = static_cast<uLongf>(bound);
        return ::compress2(buf.data() + 4, &destLen, payload.data, original, level);
    };

    uLongf destLen = 0;
    int rc = attempt(destLen);
    if (rc != Z_OK) {
        PF_WARN(callbacks, kShort, op, "First compression attempt failed. compress2 returned %d", rc);
        if (rc == Z_BUF_ERROR) {
            PF_WARN(callbacks, kShort, op, "Destination Buffer is too small. Trying again, doubling the size");
            bound *= 2;
            rc = attempt(destLen);
            if (rc != Z_OK)
                PF_WARN(callbacks, kShort, op, "Second compression attempt failed.  compress2 returned %d", rc);
        }
    }
    if (rc != Z_OK) {
        PF_ERROR(callbacks, kShort, op, "Compression Failed.  RC = %d", rc);
        return -1;
    }
    PF_DEBUG(callbacks, kShort, op, "Original Data Size:%d Compressed Data Size:%d", static_cast<int>(original),
             static_cast<int>(destLen));
    if (original <= destLen)
        PF_WARN(callbacks, kShort, op,
                "Original size is less than or equal to compressed size.  Original:%d Compressed:%d",
                static_cast<int>(original), static_cast<int>(destLen));
    buf.resize(static_cast<size_t>(destLen) + 4);
    payload.adopt(std::move(buf));
    compressed = true;
    return 0;
}

int32_t Section::failUncompress(FailureKind kind) {
    _failure = kind;
    return -1;
}

int32_t Section::uncompressData() {
    constexpr const char* op = "PFile::Section::uncompressData";
    PF_ENTER(callbacks, kShort, op);
    _failure = FailureKind::none;
    if (!compressed) {
        PF_ERROR(callbacks, kShort, op, "Data is already uncompressed.");
        return failUncompress(FailureKind::misuse);
    }
    if (payload.data == nullptr || payload.size == 0) {
        PF_ERROR(callbacks, kShort, op, "Section data is not set.");
        return failUncompress(FailureKind::misuse);
    }
    // A stored form too short for its length prefix cannot hold a zlib stream.
    if (payload.size < 4) {
        PF_ERROR(callbacks, kShort, op, "uncompress returned %d", Z_DATA_ERROR);
        return failUncompress(FailureKind::inflate);
    }
    const uint32_t length = Marshal::LittleEndian::load<uint32_t>(payload.data);
    if (length > kMaxUncompressed) {
        PF_ERROR(callbacks, kShort, op, "Section data too big.");
        return failUncompress(FailureKind::sectionTooLarge);
    }
    // One spare byte so zlib always gets a real destination, even for an empty payload.
    std::vector<uint8_t> buf(static_cast<size_t>(length) + 1);
    uLongf destLen = length;
    int rc = ::uncompress(buf.data(), &destLen, payload.data + 4, payload.size - 4);
    // A stream shorter than its recorded length would leave bytes undefined.
    if (rc == Z_OK && destLen != length) rc = Z_DATA_ERROR;
    if (rc != Z_OK) {
        PF_ERROR(callbacks, kShort, op, "uncompress returned %d", rc);
        return failUncompress(FailureKind::inflate);
    }
    buf.resize(length);
    payload.adopt(std::move(buf));
    compressed = false;
    return 0;
}

void Section::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.line("Section");
    f.indent();
    header.dump(f, flags);
    if (flags.detail >= 2) {
        f.line("Payload");
        payload.dump(f, flags);
    }
    f.unindent();
}

}  // namespace PFile
