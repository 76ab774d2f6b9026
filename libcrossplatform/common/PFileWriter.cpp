// Container writers into a caller's buffer and into a file, and whole-file helpers.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "common/PFile.h"
#include "common/PFileMessages.h"
#include "serialization/Assert.h"
#include "serialization/ByteStreamBuilder.h"
#include "serialization/LittleEndian.h"
#include "serialization/ReadObject.h"

namespace PFile {

namespace {
constexpr const char* kMem = "PFileMemWriter";
constexpr const char* kFile = "PFileWriter";
constexpr uint32_t kFileHeaderLevel = 3;  // without effect: the file header is never compressed
constexpr uint64_t kMaxContainer = 0xFFFFFFFF;

// Byte counts in messages are printed with %d.
int printable(uint64_t n) { return static_cast<int>(std::min<uint64_t>(n, std::numeric_limits<int>::max())); }

bool validPayload(const Section& s) { return s.payload.data != nullptr && s.payload.size != 0; }

// Sections flagged as compressed whose payload is still plain are compressed on the way out.
int32_t prepare(Section& s) {
    if ((s.header.flags & SECTION_FLAG_COMPRESSED) && !s.compressed) {
        if (s.compressData() != 0) return -1;
        s.refreshHeader();
    }
    return 0;
}

Marshal::ByteStreamBuilder headerBytes(const Section& s) {
    Marshal::ByteStreamBuilder b(kSectionHeaderSize);
    s.header.serialize(b);
    return b;
}
}  // namespace

// ---- MemWriter ----

int32_t MemWriter::open(uint8_t* buffer, int32_t capacity) {
    constexpr const char* op = "PFile::MemWriter::open";
    PF_DEBUG(_callbacks, kMem, op, "PFileMemWriter::open(%p, %d)", static_cast<void*>(buffer), capacity);
    if (_buffer != nullptr) {
        PF_ERROR(_callbacks, kMem, op, "Buffer already set.");
        return -1;
    }
    if (buffer == nullptr || capacity < 0) {
        PF_ERROR(_callbacks, kMem, op, "Buffer not set.");
        return -1;
    }
    _buffer = buffer;
    _capacity = static_cast<uint32_t>(capacity);
    _pos = 0;
    _length = 0;
    _section = new Section(_callbacks);
    Marshal::LittleEndian::store<uint32_t>(reinterpret_cast<uint8_t*>(&_lengthField), 0);
    _section->set(SectionType::FileHeader, 1, SECTION_FLAG_NONE, reinterpret_cast<uint8_t*>(&_lengthField), 4, false,
                  kFileHeaderLevel);
    const int32_t rc = write(*_section);
    if (rc != 0) {
        // Too small even for the file header: leave the writer closed.
        delete _section;
        _section = nullptr;
        _buffer = nullptr;
        _capacity = _pos = _length = 0;
    }
    return rc;
}

int32_t MemWriter::append(const uint8_t* src, uint32_t n, const char* op) {
    if (src == nullptr) {
        PF_ERROR(_callbacks, kMem, op, "Source Pointer is NULL.");
        return -1;
    }
    if (_buffer == nullptr) {
        PF_ERROR(_callbacks, kMem, op, "Buffer not set.");
        return -1;
    }
    if (n > _capacity - _pos) {
        PF_ERROR(_callbacks, kMem, op, "Requested to write %d bytes, only %d bytes remaining.", static_cast<int>(n),
                 static_cast<int>(_capacity - _pos));
        return -1;
    }
    std::memcpy(_buffer + _pos, src, n);
    _pos += n;
    if (_length < _pos) _length = _pos;
    return 0;
}

int32_t MemWriter::write(Section& section) {
    constexpr const char* op = "PFile::MemWriter::write";
    PF_ENTER(_callbacks, kMem, op);
    if (!validPayload(section)) {
        PF_ERROR(_callbacks, kMem, op, "Invalid Section Parameters. pData = %p size = %d",
                 static_cast<void*>(section.payload.data), static_cast<int>(section.payload.size));
        return -1;
    }
    if (prepare(section) != 0) return -1;
    if (_buffer == nullptr) {
        PF_ERROR(_callbacks, kMem, op, "Buffer not set.");
        return -1;
    }
    // Refuse the whole section up front, so a failed write never leaves half a section behind.
    const uint64_t total = uint64_t{kSectionHeaderSize} + section.payload.size;
    if (total > _capacity - _pos) {
        PF_ERROR(_callbacks, kMem, op, "Requested to write %d bytes, only %d bytes remaining.", printable(total),
                 static_cast<int>(_capacity - _pos));
        return -1;
    }
    const auto hdr = headerBytes(section);
    if (const int32_t rc = append(hdr.data(), kSectionHeaderSize, op)) return rc;
    return append(section.payload.data, section.payload.size, op);
}

int32_t MemWriter::close() {
    constexpr const char* op = "PFile::MemWriter::close";
    if (_buffer == nullptr) {
        delete _section;
        _section = nullptr;
        _capacity = _pos = 0;
        return -1;
    }
    Marshal::LittleEndian::store<uint32_t>(reinterpret_cast<uint8_t*>(&_lengthField), _length);
    _section->payload.reset(reinterpret_cast<uint8_t*>(&_lengthField), 4, false);
    _section->refreshHeader();
    _pos = 0;
    const auto hdr = headerBytes(*_section);
    int32_t rc = append(hdr.data(), kSectionHeaderSize, op);
    if (rc != 0) {
        PF_ERROR(_callbacks, kMem, op, "Failed to write section header. RC = %d", rc);
    } else {
        rc = append(_section->payload.data, 4, op);
        if (rc != 0) PF_ERROR(_callbacks, kMem, op, "Failed to write section data. RC = %d", rc);
    }
    delete _section;
    _section = nullptr;
    _buffer = nullptr;
    _capacity = _pos = 0;
    // _length stays readable until the next open: it is the container's size.
    return rc;
}

// ---- FileWriter ----

int32_t FileWriter::open(const char* path) {
    constexpr const char* op = "PFile::FileWriter::open";
    if (detail::openFile(_file, path, "wb", _callbacks, kFile, op) != FailureKind::none) return -1;
    _length = 0;
    // Provisional file header; close() patches the length.
    uint8_t zero[4] = {0, 0, 0, 0};
    Section header(_callbacks);
    header.set(SectionType::FileHeader, 1, SECTION_FLAG_NONE, zero, 4, false, kFileHeaderLevel);
    const int32_t rc = write(header);
    if (rc != 0) {
        std::fclose(_file);
        _file = nullptr;
    }
    return rc;
}

int32_t FileWriter::write(Section& section) {
    constexpr const char* op = "PFile::FileWriter::write";
    PF_ENTER(_callbacks, kFile, op);
    if (_file == nullptr) {
        PF_ERROR(_callbacks, kFile, op, "File not open.");
        return -1;
    }
    if (!validPayload(section)) {
        PF_ERROR(_callbacks, kFile, op, "Invalid Section Parameters. pData = %p size = %d",
                 static_cast<void*>(section.payload.data), static_cast<int>(section.payload.size));
        return -1;
    }
    if (prepare(section) != 0) return -1;
    const uint32_t headerBytesN = kSectionHeaderSize;
    const uint32_t sectionBytes = section.payload.size;
    // The container length is 32 bits: refuse a section that would overflow it.
    if (uint64_t{_length} + headerBytesN + sectionBytes > kMaxContainer) {
        PF_ERROR(_callbacks, kFile, op, "Requested to write %d bytes, only %d bytes remaining.",
                 printable(uint64_t{headerBytesN} + sectionBytes), printable(kMaxContainer - _length));
        return -1;
    }
    const auto hdr = headerBytes(section);
    if (std::fwrite(hdr.data(), 1, headerBytesN, _file) != headerBytesN) {
        PF_ERROR(_callbacks, kFile, op, "fwrite failed when writing section header.errno:%d", errno);
        return -1;
    }
    const uint32_t fileSizeWithHeader = _length + headerBytesN;
    KX_ASSERT(fileSizeWithHeader >= headerBytesN);
    _length = fileSizeWithHeader;
    if (std::fwrite(section.payload.data, 1, sectionBytes, _file) != sectionBytes) {
        PF_ERROR(_callbacks, kFile, op, "fwrite failed when writing section data.errno:%d", errno);
        return -1;
    }
    const uint32_t fileSizeWithSection = _length + sectionBytes;
    KX_ASSERT(fileSizeWithSection >= sectionBytes);
    _length = fileSizeWithSection;
    return 0;
}

int32_t FileWriter::close() {
    constexpr const char* op = "PFile::FileWriter::close";
    if (_file == nullptr) return -1;
    int32_t rc = 0;
    uint8_t lengthBytes[4];
    Marshal::LittleEndian::store<uint32_t>(lengthBytes, _length);
    Section header(_callbacks);
    header.set(SectionType::FileHeader, 1, SECTION_FLAG_NONE, lengthBytes, 4, false, kFileHeaderLevel);
    const auto hdr = headerBytes(header);
    if (std::fseek(_file, 0, SEEK_SET) != 0 ||
        std::fwrite(hdr.data(), 1, kSectionHeaderSize, _file) != kSectionHeaderSize) {
        rc = -1;
        PF_ERROR(_callbacks, kFile, op, "Failed to write section header. RC = %d", rc);
    } else if (std::fwrite(lengthBytes, 1, 4, _file) != 4) {
        rc = -1;
        PF_ERROR(_callbacks, kFile, op, "Failed to write section data. RC = %d", rc);
    }
    if (std::fclose(_file) != 0) {
        PF_ERROR(_callbacks, kFile, op, "fclose failed.errno:%d", errno);
        rc = -1;
    }
    _file = nullptr;
    return rc;
}

// ---- whole containers and files ----

std::vector<uint8_t> buildContainer(std::vector<Section*> sections, Callbacks cb) {
    uint64_t total = kSectionHeaderSize + 4;
    for (Section* s : sections) {
        if (s == nullptr || !validPayload(*s)) return {};
        if (prepare(*s) != 0) return {};
        total += kSectionHeaderSize + uint64_t{s->payload.size};
        if (total > Marshal::kMaxStreamSize) return {};
    }
    std::vector<uint8_t> out(total);
    MemWriter writer(std::move(cb));
    if (writer.open(out.data(), static_cast<int32_t>(total)) != 0) return {};
    for (Section* s : sections)
        if (writer.write(*s) != 0) return {};
    if (writer.close() != 0) return {};
    return out;
}

bool readFileBytes(const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    uint8_t chunk[1 << 16];
    bool ok = true;
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, f);
        out.insert(out.end(), chunk, chunk + n);
        if (n < sizeof chunk) {
            ok = !std::ferror(f);
            break;
        }
    }
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool wrote = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    return wrote && closed;
}

}  // namespace PFile
