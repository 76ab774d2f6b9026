#pragma once
// Sectioned container file: a run of sections, each a 20-byte CRC-checked header and a payload that may be
// zlib-compressed. The first section is always the file header (type 1) holding the container length.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"
#include "serialization/StreamPosition.h"

namespace PFile {

inline constexpr uint16_t kSectionMagic = 0x5046;
inline constexpr uint32_t kSectionHeaderSize = 20;
inline constexpr uint32_t kMaxUncompressed = 0x800000;  // 8 MiB

// Section types used by this program. Stored in files: frozen.
namespace SectionType {
inline constexpr uint16_t FileHeader = 1;
inline constexpr uint16_t Manifest = 101;
inline constexpr uint16_t ManifestAlt = 102;
inline constexpr uint16_t InstrumentSettingsJson = 105;
inline constexpr uint16_t ResultSummary = 200;
inline constexpr uint16_t UploadList = 201;
inline constexpr uint16_t CopperTestBody = 700;
inline constexpr uint16_t CopperPlots = 701;
inline constexpr uint16_t CopperRawData = 702;
}  // namespace SectionType

enum SECTION_FLAGS : uint32_t { SECTION_FLAG_NONE = 0, SECTION_FLAG_COMPRESSED = 1 };

// Why an open or a read failed, kept as data beside the messages (which stay as they are, for people and
// logs): callers decide on this, never on a message's words.
enum class FailureKind : uint8_t {
    none,
    misuse,             // no buffer or file, or one already open: the caller's mistake, not the data's
    empty,              // no bytes at all
    containerTooLarge,  // more bytes than Marshal::kMaxStreamSize
    io,                 // the file cannot be opened or read
    truncated,          // a section header, a payload or the container runs past the end of the bytes
    headerCrc,          // a section header does not match its checksum
    dataCrc,            // a payload does not match its checksum (an empty payload never does)
    sectionTooLarge,    // a payload above its cap: kMaxUncompressed unpacked, kMaxStreamSize stored
    inflate,            // a compressed payload does not inflate to its recorded length
    noFileHeader,       // the first section is not a file header
};

// A short name for people ("header CRC mismatch"); not one of the message texts.
const char* toString(FailureKind kind);

struct Failure {
    FailureKind kind = FailureKind::none;
    // Container offset of what is at fault: the section header (for a cut header, the field that is cut),
    // the payload, or for a container longer than its buffer the buffer's end. 0 when no byte is at fault.
    uint32_t offset = 0;
};

// Optional message callbacks; each receives one fully formatted message
// ("<Short>::<op>() - <text> | <file>:<line>"). Empty callbacks are silent.
using MessageFn = std::function<void(const std::string&)>;
struct Callbacks {
    MessageFn debug;
    MessageFn warning;
    MessageFn error;
};

class Header : public Marshal::ISerializable, public Dump::IDumpable {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;

    uint16_t magic = kSectionMagic;
    uint16_t type = 0;
    uint16_t version = 0;
    uint16_t flags = 0;
    uint32_t dataSize = 0;
    uint32_t dataCrc = 0;
    uint32_t hdrCrc = 0;
};

class Payload : public Dump::IDumpable {
public:
    Payload() = default;
    Payload(const Payload&) = delete;
    Payload& operator=(const Payload&) = delete;
    ~Payload() override;

    // Replaces the bytes: borrows `data`, or with `owned` takes it over (it must come from new uint8_t[]).
    void reset(uint8_t* data, uint32_t size, bool owned);
    // Takes the bytes over without copying them; at most Marshal::kMaxStreamSize of them.
    void adopt(std::vector<uint8_t> bytes);
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;

    uint32_t size = 0;
    uint8_t* data = nullptr;
    bool owned = false;  // data points into the payload's own buffer

private:
    std::vector<uint8_t> _bytes;
};

class Section : public Dump::IDumpable {
public:
    Section() = default;
    explicit Section(Callbacks cb) : callbacks(std::move(cb)) {}
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

    // Replaces the payload; with the compressed flag, stores `level` in flags bits 12-15 and compresses.
    int32_t set(uint16_t type, uint16_t version, SECTION_FLAGS flags, uint8_t* data, uint32_t size, bool owned,
                int32_t level);
    // Copies `bytes` into an owned payload, then as set().
    int32_t setCopy(uint16_t type, uint16_t version, SECTION_FLAGS flags, const std::vector<uint8_t>& bytes,
                    int32_t level);
    bool verifyDataCrc() const;
    int32_t compressData();
    // On failure, failure() says why: misuse, sectionTooLarge or inflate.
    int32_t uncompressData();
    FailureKind failure() const { return _failure; }
    // dataSize, dataCrc and hdrCrc from the current payload.
    void refreshHeader();
    // The header CRC matches its first 16 bytes.
    bool headerCrcOk() const;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;

    const uint8_t* data() const { return payload.data; }
    uint32_t size() const { return payload.size; }
    uint16_t type() const { return header.type; }

    Header header;
    Payload payload;
    bool compressed = false;
    Callbacks callbacks;

private:
    // Everything set() does after the payload is in place.
    int32_t setHeader(uint16_t type, uint16_t version, SECTION_FLAGS flags, int32_t level);
    int32_t failUncompress(FailureKind kind);

    FailureKind _failure = FailureKind::none;
};

class MemReader {
public:
    explicit MemReader(Callbacks cb = {}) : _callbacks(std::move(cb)) {}
    ~MemReader() { close(); }
    MemReader(const MemReader&) = delete;
    MemReader& operator=(const MemReader&) = delete;

    int32_t open(const uint8_t* buffer, int32_t size);
    int32_t quickOpen(const uint8_t* buffer, int32_t size);
    // The checked way in from bytes in memory: 0, or -1 with failure() saying why; empty bytes and more
    // than Marshal::kMaxStreamSize of them are refused before open() sees them.
    int32_t open(std::span<const uint8_t> bytes);
    int32_t quickOpen(std::span<const uint8_t> bytes);
    // 0 read, -1 failure, -2 no further section.
    int32_t read(Section& section, bool uncompress);
    int32_t seek(int32_t offset, Marshal::StreamPosition base);
    int32_t close();

    // The file header section read by open().
    const Section* fileHeader() const { return _section; }
    uint32_t position() const { return _pos; }
    uint32_t bufferSize() const { return _size; }
    // Why the last open or read failed; kind none after a success or at the end of the sections.
    const Failure& failure() const { return _failure; }

private:
    int32_t openImpl(const uint8_t* buffer, int32_t size, bool checkLength, const char* op);
    int32_t openChecked(std::span<const uint8_t> bytes, bool checkLength);
    int32_t readHeader(Section& section, const char* op);

    Section* _section = nullptr;
    const uint8_t* _buffer = nullptr;
    uint32_t _size = 0;
    uint32_t _pos = 0;
    Failure _failure;
    Callbacks _callbacks;
};

class FileReader {
public:
    explicit FileReader(Callbacks cb = {}) : _callbacks(std::move(cb)) {}
    ~FileReader() { close(); }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    int32_t open(const char* path);
    int32_t read(Section& section, bool uncompress);
    int32_t close();
    // Why the last open or read failed; kind none after a success or at the end of the sections.
    const Failure& failure() const { return _failure; }

private:
    Section* _section = nullptr;
    FILE* _file = nullptr;
    uint32_t _pos = 0;  // bytes of the container read so far
    Failure _failure;
    Callbacks _callbacks;
};

class MemWriter {
public:
    explicit MemWriter(Callbacks cb = {}) : _callbacks(std::move(cb)) {}
    ~MemWriter() { close(); }
    MemWriter(const MemWriter&) = delete;
    MemWriter& operator=(const MemWriter&) = delete;

    int32_t open(uint8_t* buffer, int32_t capacity);
    int32_t write(Section& section);
    // Rewrites the file header with the final container length.
    int32_t close();
    // Bytes of the buffer in use so far.
    uint32_t length() const { return _length; }

private:
    int32_t append(const uint8_t* src, uint32_t n, const char* op);

    Section* _section = nullptr;
    uint8_t* _buffer = nullptr;
    uint32_t _capacity = 0;
    uint32_t _pos = 0;
    uint32_t _length = 0;
    uint32_t _lengthField = 0;
    Callbacks _callbacks;
};

class FileWriter {
public:
    explicit FileWriter(Callbacks cb = {}) : _callbacks(std::move(cb)) {}
    ~FileWriter() { close(); }
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Creates the file and writes the provisional file header section.
    int32_t open(const char* path);
    int32_t write(Section& section);
    // Patches the container length and closes the file.
    int32_t close();

private:
    FILE* _file = nullptr;
    uint32_t _length = 0;
    Callbacks _callbacks;
};

// Convenience for writers of whole containers: compresses where flagged, sizes the buffer exactly and
// returns the container bytes (empty on failure).
std::vector<uint8_t> buildContainer(std::vector<Section*> sections, Callbacks cb = {});

// Reads a whole file into memory; false when it cannot be read.
bool readFileBytes(const std::string& path, std::vector<uint8_t>& out);
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace PFile
