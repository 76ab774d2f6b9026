// Container readers over a caller's buffer (zero-copy) and over a file.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/PFile.h"
#include "common/PFileMessages.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/LittleEndian.h"
#include "serialization/ReadObject.h"

namespace PFile {

namespace {
constexpr const char* kMem = "PFileMemReader";
constexpr const char* kFile = "PFileReader";
constexpr uint32_t kFileChunk = 1u << 20;

int32_t failWith(Failure& slot, Failure failure) {
    slot = failure;
    return -1;
}

// Every read starts with no failure and an empty section, whatever an earlier read left in it.
void startRead(Section& section, Failure& failure) {
    failure = {};
    section.payload.reset(nullptr, 0, false);
    section.compressed = false;
}

// Deserializes and CRC-checks the section header in `bytes`, found at container offset `at`.
Failure parseHeader(Section& section, const uint8_t* bytes, uint32_t n, uint32_t at, const Callbacks& cb,
                    const char* shortName, const char* op) {
    Marshal::ByteStreamReader r(bytes, n);
    const auto st = section.header.deserialize(r);
    if (st != Marshal::ok) {
        PF_ERROR(cb, shortName, op, "Header deserialization failed.  RC = %d", static_cast<int>(st));
        return {FailureKind::truncated, at + r.failedAt()};
    }
    if (!section.headerCrcOk()) {
        PF_ERROR(cb, shortName, op, "Header failed crc check.");
        return {FailureKind::headerCrc, at};
    }
    return {};
}

// Offset within a section header of the first field that `got` bytes (fewer than a header) do not hold.
uint32_t cutFieldAt(const uint8_t* raw, uint32_t got) {
    if (got == 0) return 0;
    Marshal::ByteStreamReader r(raw, got);
    Header ignored;
    ignored.deserialize(r);
    return r.failedAt();
}

// Finishes a section whose stored payload, found at container offset `at`, is in place: CRC, then the
// compressed flag.
Failure finishSection(Section& section, bool uncompress, uint32_t at, const Callbacks& cb, const char* shortName,
                      const char* op) {
    if (!section.verifyDataCrc()) {
        PF_ERROR(cb, shortName, op, "Data failed crc check.");
        section.payload.reset(nullptr, 0, false);
        return {FailureKind::dataCrc, at};
    }
    if (section.header.flags & SECTION_FLAG_COMPRESSED) {
        section.compressed = true;
        if (uncompress && section.uncompressData() != 0) return {section.failure(), at};
    }
    return {};
}
}  // namespace

// ---- MemReader ----

int32_t MemReader::readHeader(Section& section, const char* op) {
    if (_pos >= _size) {
        PF_DEBUG(_callbacks, kMem, op, "End of File.");
        return -2;
    }
    const uint32_t at = _pos;
    _failure = parseHeader(section, _buffer + _pos, _size - _pos, at, _callbacks, kMem, op);
    if (_failure.kind != FailureKind::none) return -1;
    const int32_t rc = seek(static_cast<int32_t>(kSectionHeaderSize), Marshal::current);
    if (rc < 0) {
        PF_ERROR(_callbacks, kMem, op, "Seek Failed. RC = %d", rc);
        return failWith(_failure, {FailureKind::truncated, at});
    }
    return 0;
}

int32_t MemReader::read(Section& section, bool uncompress) {
    constexpr const char* op = "PFile::MemReader::read";
    PF_ENTER(_callbacks, kMem, op);
    startRead(section, _failure);
    if (_buffer == nullptr) {
        PF_ERROR(_callbacks, kMem, op, "Buffer not set.");
        return failWith(_failure, {FailureKind::misuse, 0});
    }
    if (const int32_t rc = readHeader(section, op)) return rc;

    PF_DEBUG(_callbacks, kMem, op, "Getting the section data.");
    const uint32_t dataSize = section.header.dataSize;
    const uint32_t at = _pos;
    const uint32_t remaining = _size - _pos;
    if (dataSize > remaining) {
        PF_ERROR(_callbacks, kMem, op, "Insufficient Space Remaining. Need %d bytes, only %d bytes remaining.",
                 static_cast<int>(dataSize), static_cast<int>(remaining));
        return failWith(_failure, {FailureKind::truncated, at});
    }
    // No larger than the buffer, whose size came in as an int32: the seek cannot wrap.
    if (seek(static_cast<int32_t>(dataSize), Marshal::current) < 0)
        return failWith(_failure, {FailureKind::truncated, at});
    // Zero-copy: the payload stays in the caller's buffer.
    section.payload.reset(const_cast<uint8_t*>(_buffer + at), dataSize, false);
    _failure = finishSection(section, uncompress, at, _callbacks, kMem, op);
    return _failure.kind == FailureKind::none ? 0 : -1;
}

int32_t MemReader::seek(int32_t offset, Marshal::StreamPosition base) {
    constexpr const char* op = "PFile::MemReader::seek";
    PF_DEBUG(_callbacks, kMem, op, "seek(%d, %d);", offset, static_cast<int>(base));
    int64_t from = 0;
    switch (base) {
        case Marshal::begin: from = 0; break;
        case Marshal::current: from = _pos; break;
        case Marshal::end: from = _size; break;
        default: PF_ERROR(_callbacks, kMem, op, "Unknown StreamPosition arg: %d", static_cast<int>(base)); return -1;
    }
    const int64_t target = from + offset;
    const bool wrapped = offset > 0 && target < offset;
    if (target < 0 || target > static_cast<int64_t>(_size) || wrapped) {
        PF_ERROR(_callbacks, kMem, op,
                 "New index value is out of range.  New:%d, Size:%u Current: %u Offset: %ierrno:%d",
                 static_cast<int>(target), _size, _pos, offset, errno);
        return -1;
    }
    _pos = static_cast<uint32_t>(target);
    return static_cast<int32_t>(_pos);
}

int32_t MemReader::openImpl(const uint8_t* buffer, int32_t size, bool checkLength, const char* op) {
    PF_DEBUG(_callbacks, kMem, op, "PFileMemReader::open(%p, %d)", static_cast<const void*>(buffer), size);
    _failure = {};
    if (_buffer != nullptr) {
        PF_ERROR(_callbacks, kMem, op, "Buffer already set.");
        return failWith(_failure, {FailureKind::misuse, 0});
    }
    if (buffer == nullptr || size < 0) {
        PF_ERROR(_callbacks, kMem, op, "Buffer not set.");
        return failWith(_failure, {FailureKind::misuse, 0});
    }
    _buffer = buffer;
    _size = static_cast<uint32_t>(size);
    _pos = 0;
    _section = new Section(_callbacks);
    // A failed open leaves the reader closed, ready for another open.
    if (const int32_t rc = read(*_section, true)) {
        if (rc == -2) _failure = {FailureKind::empty, 0};
        close();
        return rc;
    }
    if (_section->type() != SectionType::FileHeader || _section->size() < 4) {
        PF_ERROR(_callbacks, kMem, op, "Missing file header.");
        close();
        return failWith(_failure, {FailureKind::noFileHeader, 0});
    }
    if (checkLength) {
        const uint32_t length = Marshal::LittleEndian::load<uint32_t>(_section->data());
        if (length > _size) {
            PF_ERROR(_callbacks, kMem, op,
                     "File is longer than the buffer we've been given.  File Size:%d, Buffer Size:%d",
                     static_cast<int>(length), static_cast<int>(_size));
            const uint32_t end = _size;
            close();
            return failWith(_failure, {FailureKind::truncated, end});
        }
        // Trailing bytes of the buffer are not part of the container.
        _size = length;
    }
    return 0;
}

int32_t MemReader::open(const uint8_t* buffer, int32_t size) {
    return openImpl(buffer, size, true, "PFile::MemReader::open");
}

int32_t MemReader::quickOpen(const uint8_t* buffer, int32_t size) {
    return openImpl(buffer, size, false, "PFile::MemReader::quickOpen");
}

int32_t MemReader::openChecked(std::span<const uint8_t> bytes, bool checkLength) {
    switch (Marshal::checkSpan(bytes)) {
        case Marshal::SpanFault::empty: return failWith(_failure, {FailureKind::empty, 0});
        case Marshal::SpanFault::tooLarge: return failWith(_failure, {FailureKind::containerTooLarge, 0});
        case Marshal::SpanFault::none: break;
    }
    const auto size = static_cast<int32_t>(bytes.size());
    return checkLength ? open(bytes.data(), size) : quickOpen(bytes.data(), size);
}

int32_t MemReader::open(std::span<const uint8_t> bytes) { return openChecked(bytes, true); }

int32_t MemReader::quickOpen(std::span<const uint8_t> bytes) { return openChecked(bytes, false); }

int32_t MemReader::close() {
    delete _section;
    _section = nullptr;
    _buffer = nullptr;
    _size = 0;
    _pos = 0;
    return 0;
}

// ---- FileReader ----

int32_t FileReader::open(const char* path) {
    constexpr const char* op = "PFile::FileReader::open";
    _failure = {};
    if (const FailureKind k = detail::openFile(_file, path, "rb", _callbacks, kFile, op); k != FailureKind::none)
        return failWith(_failure, {k, 0});
    _pos = 0;
    _section = new Section(_callbacks);
    if (const int32_t rc = read(*_section, true)) {
        if (rc == -2) _failure = {FailureKind::empty, 0};
        close();
        return rc;
    }
    if (_section->type() != SectionType::FileHeader) {
        PF_ERROR(_callbacks, kFile, op, "Missing file header.");
        close();
        return failWith(_failure, {FailureKind::noFileHeader, 0});
    }
    return 0;
}

int32_t FileReader::read(Section& section, bool uncompress) {
    constexpr const char* op = "PFile::FileReader::read";
    PF_ENTER(_callbacks, kFile, op);
    startRead(section, _failure);
    if (_file == nullptr) {
        PF_ERROR(_callbacks, kFile, op, "File not open.");
        return failWith(_failure, {FailureKind::misuse, 0});
    }
    const uint32_t at = _pos;
    uint8_t raw[kSectionHeaderSize];
    const size_t got = std::fread(raw, 1, sizeof raw, _file);
    if (got != sizeof raw) {
        // Only a clean end between sections is the end; a cut header is damage.
        if (got == 0 && std::feof(_file)) {
            PF_DEBUG(_callbacks, kFile, op, "End of File.");
            return -2;
        }
        PF_ERROR(_callbacks, kFile, op, "fread failed when trying to read Header. RC = %d", static_cast<int>(got));
        if (std::ferror(_file)) return failWith(_failure, {FailureKind::io, at});
        return failWith(_failure, {FailureKind::truncated, at + cutFieldAt(raw, static_cast<uint32_t>(got))});
    }
    _failure = parseHeader(section, raw, sizeof raw, at, _callbacks, kFile, op);
    if (_failure.kind != FailureKind::none) return -1;

    const uint32_t payloadAt = at + kSectionHeaderSize;
    const uint32_t dataSize = section.header.dataSize;
    if (dataSize > Marshal::kMaxStreamSize) {
        PF_ERROR(_callbacks, kFile, op, "fread failed when try to read Header. RC = %d", 0);
        return failWith(_failure, {FailureKind::sectionTooLarge, payloadAt});
    }
    // The stored size is untrusted: grow the buffer only as bytes actually arrive.
    std::vector<uint8_t> bytes;
    uint32_t have = 0;
    while (have < dataSize) {
        const uint32_t chunk = std::min(kFileChunk, dataSize - have);
        bytes.resize(static_cast<size_t>(have) + chunk);
        const size_t n = std::fread(bytes.data() + have, 1, chunk, _file);
        have += static_cast<uint32_t>(n);
        if (n != chunk) {
            PF_ERROR(_callbacks, kFile, op, "fread failed when try to read Header. RC = %d", static_cast<int>(have));
            return failWith(_failure, {std::ferror(_file) ? FailureKind::io : FailureKind::truncated, payloadAt});
        }
    }
    _pos = payloadAt + dataSize;
    if (dataSize > 0) section.payload.adopt(std::move(bytes));
    _failure = finishSection(section, uncompress, payloadAt, _callbacks, kFile, op);
    return _failure.kind == FailureKind::none ? 0 : -1;
}

int32_t FileReader::close() {
    delete _section;
    _section = nullptr;
    int32_t rc = 0;
    if (_file != nullptr) {
        if (std::fclose(_file) != 0) {
            PF_ERROR(_callbacks, kFile, "PFile::FileReader::close", "fclose failed.errno:%d", errno);
            rc = -1;
        }
        _file = nullptr;
    }
    return rc;
}

}  // namespace PFile
