// Container readers over a caller's buffer (zero-copy) and over a file.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/PFile.h"
#include "common/PFileMessages.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/LittleEndian.h"

namespace PFile {

namespace {
constexpr const char* kMem = "PFileMemReader";
constexpr const char* kFile = "PFileReader";
constexpr uint32_t kMaxSectionBytes = 0x7FFFFFFF;
constexpr uint32_t kFileChunk = 1u << 20;

// Finishes a section whose stored payload is in place: CRC, then the compressed flag.
int32_t finishSection(Section& section, bool uncompress, const Callbacks& cb, const char* shortName, const char* op) {
    if (!section.verifyDataCrc()) {
        PF_ERROR(cb, shortName, op, "Data failed crc check.");
        section.payload.reset(nullptr, 0, false);
        return -1;
    }
    if (section.header.flags & SECTION_FLAG_COMPRESSED) {
        section.compressed = true;
        if (uncompress && section.uncompressData() != 0) return -1;
    }
    return 0;
}

bool checkHeader(const Section& section, const Callbacks& cb, const char* shortName, const char* op) {
    if (!section.headerCrcOk()) {
        PF_ERROR(cb, shortName, op, "Header failed crc check.");
        return false;
    }
    return true;
}
}  // namespace

// ---- MemReader ----

int32_t MemReader::readHeader(Section& section, const char* op) {
    if (_pos >= _size) {
        PF_DEBUG(_callbacks, kMem, op, "End of File.");
        return -2;
    }
    Marshal::ByteStreamReader r(_buffer + _pos, _size - _pos);
    const auto st = section.header.deserialize(r);
    if (st != Marshal::ok) {
        PF_ERROR(_callbacks, kMem, op, "Header deserialization failed.  RC = %d", static_cast<int>(st));
        return -1;
    }
    if (!checkHeader(section, _callbacks, kMem, op)) return -1;
    const int32_t rc = seek(static_cast<int32_t>(kSectionHeaderSize), Marshal::current);
    if (rc < 0) {
        PF_ERROR(_callbacks, kMem, op, "Seek Failed. RC = %d", rc);
        return -1;
    }
    return 0;
}

int32_t MemReader::read(Section& section, bool uncompress) {
    constexpr const char* op = "PFile::MemReader::read";
    PF_ENTER(_callbacks, kMem, op);
    section.payload.reset(nullptr, 0, false);
    section.compressed = false;
    if (_buffer == nullptr) {
        PF_ERROR(_callbacks, kMem, op, "Buffer not set.");
        return -1;
    }
    if (const int32_t rc = readHeader(section, op)) return rc;

    PF_DEBUG(_callbacks, kMem, op, "Getting the section data.");
    const uint32_t dataSize = section.header.dataSize;
    const uint32_t remaining = _size - _pos;
    if (dataSize > remaining) {
        PF_ERROR(_callbacks, kMem, op, "Insufficient Space Remaining. Need %d bytes, only %d bytes remaining.",
                 static_cast<int>(dataSize), static_cast<int>(remaining));
        return -1;
    }
    if (dataSize > kMaxSectionBytes) return -1;
    const uint8_t* data = _buffer + _pos;
    if (seek(static_cast<int32_t>(dataSize), Marshal::current) < 0) return -1;
    // Zero-copy: the payload stays in the caller's buffer.
    section.payload.reset(const_cast<uint8_t*>(data), dataSize, false);
    return finishSection(section, uncompress, _callbacks, kMem, op);
}

int32_t MemReader::seek(int32_t offset, Marshal::StreamPosition base) {
    constexpr const char* op = "PFile::MemReader::seek";
    PF_DEBUG(_callbacks, kMem, op, "seek(%d, %d);", offset, static_cast<int>(base));
    int64_t from = 0;
    switch (base) {
        case Marshal::begin: from = 0; break;
        case Marshal::current: from = _pos; break;
        case Marshal::end: from = _size; break;
        default:
            PF_ERROR(_callbacks, kMem, op, "Unknown StreamPosition arg: %d", static_cast<int>(base));
            return -1;
    }
    const int64_t target = from + offset;
    const bool wrapped = offset > 0 && target < offset;
    if (target < 0 || target > static_cast<int64_t>(_size) || wrapped) {
        PF_ERROR(_callbacks, kMem, op, "New index value is out of range.  New:%d, Size:%u Current: %u Offset: %ierrno:%d",
                 static_cast<int>(target), _size, _pos, offset, errno);
        return -1;
    }
    _pos = static_cast<uint32_t>(target);
    return static_cast<int32_t>(_pos);
}

int32_t MemReader::openImpl(const uint8_t* buffer, int32_t size, bool checkLength, const char* op) {
    PF_DEBUG(_callbacks, kMem, op, "PFileMemReader::open(%p, %d)", static_cast<const void*>(buffer), size);
    if (_buffer != nullptr) {
        PF_ERROR(_callbacks, kMem, op, "Buffer already set.");
        return -1;
    }
    if (buffer == nullptr || size < 0) {
        PF_ERROR(_callbacks, kMem, op, "Buffer not set.");
        return -1;
    }
    _buffer = buffer;
    _size = static_cast<uint32_t>(size);
    _pos = 0;
    _section = new Section(_callbacks);
    // A failed open leaves the reader closed, ready for another open.
    if (const int32_t rc = read(*_section, true)) {
        close();
        return rc;
    }
    if (_section->type() != SectionType::FileHeader || _section->size() < 4) {
        PF_ERROR(_callbacks, kMem, op, "Missing file header.");
        close();
        return -1;
    }
    if (checkLength) {
        const uint32_t length = Marshal::LittleEndian::load<uint32_t>(_section->data());
        if (length > _size) {
            PF_ERROR(_callbacks, kMem, op, "File is longer than the buffer we've been given.  File Size:%d, Buffer Size:%d",
                     static_cast<int>(length), static_cast<int>(_size));
            close();
            return -1;
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
    PF_DEBUG(_callbacks, kFile, op, "PFileReader::open(%s)", path ? path : "NULL");
    if (_file != nullptr) {
        PF_ERROR(_callbacks, kFile, op, "Already have another file open.");
        return -1;
    }
    if (path == nullptr) {
        PF_ERROR(_callbacks, kFile, op, "File Path is NULL.");
        return -1;
    }
    _file = std::fopen(path, "rb");
    if (_file == nullptr) {
        PF_ERROR(_callbacks, kFile, op, "fopen failed.errno:%d", errno);
        return -1;
    }
    _section = new Section(_callbacks);
    if (const int32_t rc = read(*_section, true)) {
        close();
        return rc;
    }
    if (_section->type() != SectionType::FileHeader) {
        PF_ERROR(_callbacks, kFile, op, "Missing file header.");
        close();
        return -1;
    }
    return 0;
}

int32_t FileReader::read(Section& section, bool uncompress) {
    constexpr const char* op = "PFile::FileReader::read";
    PF_ENTER(_callbacks, kFile, op);
    section.payload.reset(nullptr, 0, false);
    section.compressed = false;
    if (_file == nullptr) {
        PF_ERROR(_callbacks, kFile, op, "File not open.");
        return -1;
    }
    uint8_t raw[kSectionHeaderSize];
    const size_t got = std::fread(raw, 1, sizeof raw, _file);
    if (got != sizeof raw) {
        // Only a clean end between sections is the end; a cut header is damage.
        if (got == 0 && std::feof(_file)) {
            PF_DEBUG(_callbacks, kFile, op, "End of File.");
            return -2;
        }
        PF_ERROR(_callbacks, kFile, op, "fread failed when trying to read Header. RC = %d", static_cast<int>(got));
        return -1;
    }
    Marshal::ByteStreamReader r(raw, sizeof raw);
    const auto st = section.header.deserialize(r);
    if (st != Marshal::ok) {
        PF_ERROR(_callbacks, kFile, op, "Header deserialization failed.  RC = %d", static_cast<int>(st));
        return -1;
    }
    if (!checkHeader(section, _callbacks, kFile, op)) return -1;

    const uint32_t dataSize = section.header.dataSize;
    if (dataSize > kMaxSectionBytes) {
        PF_ERROR(_callbacks, kFile, op, "fread failed when try to read Header. RC = %d", 0);
        return -1;
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
            return -1;
        }
    }
    if (dataSize > 0) section.payload.adopt(std::move(bytes));
    return finishSection(section, uncompress, _callbacks, kFile, op);
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
