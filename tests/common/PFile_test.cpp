#include "common/PFile.h"

#include "CommonTesting.h"

#include <gmock/gmock.h>
#include <zlib.h>

#include <climits>
#include <filesystem>
#include <random>

#include <sys/mman.h>
#include <unistd.h>

#include "serialization/JsonText.h"
#include "serialization/LittleEndian.h"
#include "serialization/ReadObject.h"
#include "core/TestFiles.h"

namespace {
using ::testing::HasSubstr;

// Collects the messages of every level.
struct Capture {
    std::vector<std::string> debug, warning, error;
    PFile::Callbacks callbacks() {
        return {[this](const std::string& m) { debug.push_back(m); },
                [this](const std::string& m) { warning.push_back(m); },
                [this](const std::string& m) { error.push_back(m); }};
    }
    bool errorHas(const std::string& text) const {
        for (const auto& e : error)
            if (e.find(text) != std::string::npos) return true;
        return false;
    }
};

uint32_t crc(const uint8_t* p, size_t n) { return static_cast<uint32_t>(::crc32(0L, p, static_cast<uInt>(n))); }

void putU32(Bytes& b, size_t at, uint32_t v) { Marshal::LittleEndian::store<uint32_t>(b.data() + at, v); }
uint32_t getU32(const Bytes& b, size_t at) { return Marshal::LittleEndian::load<uint32_t>(b.data() + at); }

// Mixed, partly compressible bytes.
Bytes mixed(size_t n, uint32_t seed = 7) {
    Bytes b(n);
    std::mt19937 rng(seed);
    for (size_t i = 0; i < n; ++i) b[i] = (i % 64 < 40) ? static_cast<uint8_t>(i / 64) : static_cast<uint8_t>(rng());
    return b;
}

int32_t openMem(PFile::MemReader& r, const Bytes& b) { return r.open(b.data(), static_cast<int32_t>(b.size())); }

// Offsets in a container of one data section: file header section, then the data section's header, then
// its payload.
constexpr uint32_t kDataHeaderAt = 24;
constexpr uint32_t kPayloadAt = kDataHeaderAt + 20;
constexpr uint32_t kDataSizeField = 8;

void expectFailure(const PFile::Failure& got, PFile::FailureKind kind, uint32_t offset) {
    EXPECT_EQ(kind, got.kind) << PFile::toString(got.kind);
    EXPECT_EQ(offset, got.offset);
}

TEST(PFileGolden, HeaderOnlyContainerIs24BytesAndReadsToTheEnd) {
    Bytes buf(24, 0xEE);
    PFile::MemWriter w;
    ASSERT_EQ(0, w.open(buf.data(), 24));
    ASSERT_EQ(0, w.close());
    EXPECT_EQ(24u, w.length());

    const uint8_t len[4] = {0x18, 0, 0, 0};
    Bytes expect = {0x46, 0x50, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00};
    expect.resize(24);
    putU32(expect, 12, crc(len, 4));
    putU32(expect, 16, crc(expect.data(), 16));
    putU32(expect, 20, 0x18);
    EXPECT_EQ(expect, buf);
    EXPECT_EQ(expect, PFile::buildContainer({}));

    // Reading past the last section is the end, not an error.
    Capture cap;
    PFile::MemReader r(cap.callbacks());
    ASSERT_EQ(0, openMem(r, expect));
    ASSERT_NE(nullptr, r.fileHeader());
    PFile::Section s;
    EXPECT_EQ(-2, r.read(s, true));
    EXPECT_TRUE(cap.error.empty());
    ASSERT_FALSE(cap.debug.empty());
    EXPECT_THAT(cap.debug.back(),
                ::testing::MatchesRegex(
                    R"(PFileMemReader::PFile::MemReader::read\(\) - End of File\. \| common\\PFile:[0-9]+)"));
}

// Every bit flipped in a data section's header or payload is refused by its checksum, and the section is
// never delivered.
TEST(PFileCrc, EveryHeaderAndPayloadBitFlipIsRefused) {
    const struct {
        uint32_t at, bytes;
        const char* message;
        PFile::FailureKind kind;
    } kCases[] = {
        {kDataHeaderAt, 20, "PFileMemReader::PFile::MemReader::read() - Header failed crc check. | ",
         PFile::FailureKind::headerCrc},
        {kPayloadAt, 16, "PFileMemReader::PFile::MemReader::read() - Data failed crc check. | ",
         PFile::FailureKind::dataCrc},
    };
    for (const auto& c : kCases) {
        const Bytes good = containerOf({{300, mixed(16)}}, false);
        for (size_t bit = 0; bit < c.bytes * 8; ++bit) {
            SCOPED_TRACE(std::to_string(c.at) + " bit " + std::to_string(bit));
            Bytes b = good;
            b[c.at + bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
            Capture cap;
            PFile::MemReader r(cap.callbacks());
            ASSERT_EQ(0, openMem(r, b));
            PFile::Section s;
            EXPECT_EQ(-1, r.read(s, true));
            EXPECT_TRUE(cap.errorHas(c.message));
            expectFailure(r.failure(), c.kind, c.at);
            EXPECT_EQ(nullptr, s.data());
        }
    }
}

TEST(PFileOpen, LongerBufferAcceptedShorterOneOnlyByQuickOpenMisuseAndMissingFileHeader) {
    const Bytes full = containerOf({{300, mixed(30)}, {301, mixed(30)}}, false);
    // Trailing bytes that would look like another section if they were read.
    Bytes longer = containerOf({{300, mixed(30)}}, false);
    const size_t real = longer.size();
    longer.insert(longer.end(), full.begin() + static_cast<std::ptrdiff_t>(real), full.end());
    Capture cap;
    PFile::MemReader r(cap.callbacks());
    ASSERT_EQ(0, openMem(r, longer));
    EXPECT_EQ(real, r.bufferSize());
    PFile::Section s;
    EXPECT_EQ(0, r.read(s, true));
    EXPECT_EQ(300, s.type());
    EXPECT_EQ(-2, r.read(s, true));
    ASSERT_EQ(0, r.close());

    const Bytes cut(full.begin(), full.end() - 10);
    EXPECT_EQ(-1, openMem(r, cut));
    EXPECT_TRUE(cap.errorHas("File is longer than the buffer we've been given.  File Size:" +
                             std::to_string(full.size()) + ", Buffer Size:" + std::to_string(cut.size())));
    expectFailure(r.failure(), PFile::FailureKind::truncated, static_cast<uint32_t>(cut.size()));
    // A failed open leaves the reader closed, so it can be opened again.
    ASSERT_EQ(0, r.quickOpen(cut.data(), static_cast<int32_t>(cut.size())));
    EXPECT_EQ(0, r.read(s, true));
    EXPECT_EQ(-1, r.read(s, true));
    EXPECT_TRUE(cap.errorHas("Insufficient Space Remaining. Need 30 bytes, only 20 bytes remaining."));
    expectFailure(r.failure(), PFile::FailureKind::truncated, kPayloadAt + 30 + 20);
    r.close();

    // Misuse is not the data's fault: a later good read and the end of the sections clear it.
    const Bytes b = containerOf({{300, mixed(8)}}, false);
    ASSERT_EQ(0, openMem(r, b));
    EXPECT_EQ(-1, openMem(r, b));
    EXPECT_TRUE(cap.errorHas("Buffer already set."));
    expectFailure(r.failure(), PFile::FailureKind::misuse, 0);
    EXPECT_EQ(0, r.read(s, true));
    EXPECT_EQ(PFile::FailureKind::none, r.failure().kind);
    EXPECT_EQ(-2, r.read(s, true));
    EXPECT_EQ(PFile::FailureKind::none, r.failure().kind);
    r.close();
    EXPECT_EQ(-1, r.read(s, true));
    EXPECT_TRUE(cap.errorHas("Buffer not set."));
    EXPECT_EQ(PFile::FailureKind::misuse, r.failure().kind);

    // A container whose first section is not the file header.
    const Bytes noHeader(b.begin() + 24, b.end());
    EXPECT_EQ(-1, openMem(r, noHeader));
    EXPECT_TRUE(cap.errorHas("Missing file header."));
    expectFailure(r.failure(), PFile::FailureKind::noFileHeader, 0);
    EXPECT_EQ(-1, r.open(nullptr, 10));
}

TEST(PFileSeek, RangeWrapAndBase) {
    const Bytes b = containerOf({{300, mixed(12)}}, false);
    Capture cap;
    PFile::MemReader r(cap.callbacks());
    ASSERT_EQ(0, openMem(r, b));
    EXPECT_EQ(static_cast<int32_t>(b.size()), r.seek(0, Marshal::end));
    EXPECT_EQ(0, r.seek(0, Marshal::begin));
    EXPECT_EQ(-1, r.seek(-1, Marshal::begin));
    EXPECT_TRUE(cap.errorHas("New index value is out of range.  New:-1, Size:" + std::to_string(b.size()) +
                             " Current: 0 Offset: -1errno:"));
    EXPECT_EQ(-1, r.seek(INT32_MAX, Marshal::end));
    EXPECT_EQ(-1, r.seek(1, Marshal::end));
    EXPECT_EQ(-1, r.seek(0, static_cast<Marshal::StreamPosition>(7)));
    EXPECT_TRUE(cap.errorHas("Unknown StreamPosition arg: 7"));
    EXPECT_EQ(0, r.position());
}

TEST(PFileCompression, RoundTripAtLevelOneAndOnWrite) {
    const Bytes data = mixed(200000);
    PFile::Section w;
    ASSERT_EQ(0, w.setCopy(700, 3, PFile::SECTION_FLAG_COMPRESSED, data, 1));
    EXPECT_TRUE(w.compressed);
    EXPECT_EQ(0x1001, w.header.flags);
    EXPECT_LT(w.size(), data.size());
    EXPECT_EQ(data.size(), getU32(Bytes(w.data(), w.data() + 4), 0));
    const Bytes b = PFile::buildContainer({&w});

    PFile::MemReader r;
    ASSERT_EQ(0, openMem(r, b));
    PFile::Section s;
    ASSERT_EQ(0, r.read(s, true));
    EXPECT_FALSE(s.compressed);
    EXPECT_EQ(700, s.type());
    EXPECT_EQ(3, s.header.version);
    EXPECT_EQ(data, Bytes(s.data(), s.data() + s.size()));
    EXPECT_TRUE(s.payload.owned);

    // Without decompression the payload stays in the caller's buffer.
    ASSERT_EQ(24, r.seek(24, Marshal::begin));
    ASSERT_EQ(0, r.read(s, false));
    EXPECT_TRUE(s.compressed);
    EXPECT_FALSE(s.payload.owned);
    EXPECT_EQ(b.data() + 44, s.data());
    ASSERT_EQ(0, s.uncompressData());
    EXPECT_EQ(data, Bytes(s.data(), s.data() + s.size()));
    EXPECT_EQ(-1, s.uncompressData());

    // A plain section flagged compressed is compressed on write.
    PFile::Section plain;
    plain.setCopy(200, 1, PFile::SECTION_FLAG_NONE, data, 0);
    plain.header.flags = 0x1001;
    const Bytes c = PFile::buildContainer({&plain});
    EXPECT_TRUE(plain.compressed);
    r.close();
    ASSERT_EQ(0, openMem(r, c));
    ASSERT_EQ(0, r.read(s, true));
    EXPECT_EQ(data, Bytes(s.data(), s.data() + s.size()));
}

TEST(PFileCompression, IncompressibleDataWarnsAndStillRoundTrips) {
    Bytes data(5000);
    std::mt19937 rng(3);
    for (auto& x : data) x = static_cast<uint8_t>(rng());
    Capture cap;
    PFile::Section w(cap.callbacks());
    ASSERT_EQ(0, w.setCopy(701, 1, PFile::SECTION_FLAG_COMPRESSED, data, 9));
    ASSERT_FALSE(cap.warning.empty());
    EXPECT_THAT(cap.warning.back(),
                HasSubstr("Original size is less than or equal to compressed size.  Original:5000"));
    EXPECT_EQ(-1, w.compressData());
    EXPECT_TRUE(cap.errorHas("Data is already compressed."));
    ASSERT_EQ(0, w.uncompressData());
    EXPECT_EQ(data, Bytes(w.data(), w.data() + w.size()));
}

// A section flagged compressed whose stored form is given as is.
Bytes rawCompressedContainer(uint32_t statedLength, const Bytes& original) {
    uLongf n = compressBound(static_cast<uLong>(original.size()));
    Bytes stored(4 + n);
    putU32(stored, 0, statedLength);
    EXPECT_EQ(Z_OK, compress2(stored.data() + 4, &n, original.data(), original.size(), 1));
    stored.resize(4 + n);
    PFile::Section s;
    s.setCopy(700, 1, PFile::SECTION_FLAG_NONE, stored, 0);
    s.header.flags = 0x1001;
    s.compressed = true;
    s.refreshHeader();
    return PFile::buildContainer({&s});
}

TEST(PFileCompression, EightMebibyteCapLyingLengthAndBrokenStream) {
    Capture cap;
    const Bytes tooBig = rawCompressedContainer(0x800001, Bytes(0x800001, 0));
    PFile::MemReader r;
    ASSERT_EQ(0, openMem(r, tooBig));
    PFile::Section s(cap.callbacks());
    EXPECT_EQ(-1, r.read(s, true));
    EXPECT_TRUE(cap.errorHas("PFile::Section::uncompressData() - Section data too big. | common\\PFile:"));
    expectFailure(r.failure(), PFile::FailureKind::sectionTooLarge, kPayloadAt);

    const Bytes atCap = rawCompressedContainer(0x800000, Bytes(0x800000, 0));
    PFile::MemReader r2;
    ASSERT_EQ(0, openMem(r2, atCap));
    EXPECT_EQ(0, r2.read(s, true));
    EXPECT_EQ(0x800000u, s.size());

    // A lying length or a broken stream is refused.
    const Bytes data = mixed(1000);
    for (uint32_t stated : {999u, 1001u, 0u}) {
        const Bytes b = rawCompressedContainer(stated, data);
        cap.error.clear();
        PFile::MemReader r3;
        ASSERT_EQ(0, openMem(r3, b));
        EXPECT_EQ(-1, r3.read(s, true)) << stated;
        EXPECT_TRUE(cap.errorHas("uncompress returned")) << stated;
        expectFailure(r3.failure(), PFile::FailureKind::inflate, kPayloadAt);
        // Read without inflating it is delivered; inflating the section itself names the same kind.
        ASSERT_EQ(24, r3.seek(24, Marshal::begin));
        ASSERT_EQ(0, r3.read(s, false));
        EXPECT_EQ(-1, s.uncompressData());
        EXPECT_EQ(PFile::FailureKind::inflate, s.failure());
    }
}

TEST(PFileMemWriter, CapacityFailureKeepsEarlierBytesAndMisuseIsRefused) {
    const Bytes first = mixed(5);
    const Bytes second = mixed(100, 9);
    Bytes buf(100, 0xCC);
    Capture cap;
    PFile::MemWriter w(cap.callbacks());
    ASSERT_EQ(0, w.open(buf.data(), 24 + 20 + 5 + 5));
    PFile::Section a, b;
    a.setCopy(300, 1, PFile::SECTION_FLAG_NONE, first, 0);
    b.setCopy(301, 1, PFile::SECTION_FLAG_NONE, second, 0);
    ASSERT_EQ(0, w.write(a));
    const Bytes before = buf;
    EXPECT_EQ(-1, w.write(b));
    EXPECT_TRUE(cap.errorHas("Requested to write 120 bytes, only 5 bytes remaining."));
    EXPECT_EQ(before, buf);
    EXPECT_EQ(49u, w.length());
    ASSERT_EQ(0, w.close());
    EXPECT_EQ(49u, w.length());

    PFile::MemReader r;
    ASSERT_EQ(0, r.open(buf.data(), 49));
    PFile::Section s;
    ASSERT_EQ(0, r.read(s, true));
    EXPECT_EQ(first, Bytes(s.data(), s.data() + s.size()));
    EXPECT_EQ(-2, r.read(s, true));

    // Misuse.
    Bytes small(10);
    EXPECT_EQ(-1, w.open(small.data(), 10));
    EXPECT_TRUE(cap.errorHas("Requested to write 24 bytes, only 10 bytes remaining."));
    ASSERT_EQ(0, w.open(buf.data(), 100));
    EXPECT_EQ(-1, w.open(buf.data(), 100));
    EXPECT_TRUE(cap.errorHas("Buffer already set."));
    PFile::Section empty;
    EXPECT_EQ(-1, w.write(empty));
    EXPECT_TRUE(cap.errorHas("Invalid Section Parameters. pData = "));
    EXPECT_EQ(0, w.close());
    EXPECT_EQ(-1, w.close());
    EXPECT_EQ(-1, w.write(empty));
}

TEST(PFileFiles, WriterAndReaderRoundTripMissingFilesAndMisuseFailCleanly) {
    const auto dir = kx::test::freshFolder("pfile");
    const std::string path = (dir / "round.pfile").string();
    const Bytes plain = mixed(777);
    const Bytes packed = mixed(50000, 11);
    {
        PFile::FileWriter w;
        ASSERT_EQ(0, w.open(path.c_str()));
        PFile::Section a, b;
        a.setCopy(200, 1, PFile::SECTION_FLAG_NONE, plain, 0);
        b.setCopy(700, 2, PFile::SECTION_FLAG_COMPRESSED, packed, 1);
        ASSERT_EQ(0, w.write(a));
        ASSERT_EQ(0, w.write(b));
        ASSERT_EQ(0, w.close());
    }
    Bytes file;
    ASSERT_TRUE(PFile::readFileBytes(path, file));
    EXPECT_EQ(file.size(), getU32(file, 20));

    // The memory reader and the file reader agree.
    PFile::MemReader mem;
    ASSERT_EQ(0, openMem(mem, file));
    PFile::FileReader fr;
    ASSERT_EQ(0, fr.open(path.c_str()));
    for (const Bytes* expect : {&plain, &packed}) {
        PFile::Section s1, s2;
        ASSERT_EQ(0, fr.read(s1, true));
        ASSERT_EQ(0, mem.read(s2, true));
        EXPECT_EQ(*expect, Bytes(s1.data(), s1.data() + s1.size()));
        EXPECT_EQ(*expect, Bytes(s2.data(), s2.data() + s2.size()));
    }
    PFile::Section s;
    EXPECT_EQ(-2, fr.read(s, true));
    EXPECT_EQ(0, fr.close());
    std::filesystem::remove_all(dir);

    // Missing files and misuse fail cleanly.
    Capture cap;
    PFile::FileReader missing(cap.callbacks());
    EXPECT_EQ(-1, missing.open("/nonexistent-dir/x.pfile"));
    EXPECT_TRUE(cap.errorHas("fopen failed.errno:2"));
    expectFailure(missing.failure(), PFile::FailureKind::io, 0);
    EXPECT_EQ(-1, missing.open(nullptr));
    EXPECT_TRUE(cap.errorHas("File Path is NULL."));

    cap.error.clear();
    PFile::FileWriter w(cap.callbacks());
    s.setCopy(300, 1, PFile::SECTION_FLAG_NONE, mixed(4), 0);
    EXPECT_EQ(-1, w.write(s));
    EXPECT_TRUE(cap.errorHas("File not open."));
    EXPECT_EQ(-1, w.open("/nonexistent-dir/x.pfile"));
    EXPECT_TRUE(cap.errorHas("fopen failed.errno:"));
    EXPECT_EQ(-1, w.close());
    Bytes none;
    EXPECT_FALSE(PFile::readFileBytes("/nonexistent-dir/x", none));
}

TEST(PFileDump, PayloadBytesOnlyAtDetailTwo) {
    PFile::Section s;
    s.setCopy(300, 1, PFile::SECTION_FLAG_NONE, Bytes{0xde, 0xad, 0xbe, 0xef}, 0);
    const std::string one = Dump::dumpToString(s, Dump::DumpFlags{1});
    const std::string two = Dump::dumpToString(s, Dump::DumpFlags{2});
    EXPECT_THAT(one, HasSubstr("Section\n\tHeader\n\t\ttype 300\n"));
    EXPECT_THAT(one, ::testing::Not(HasSubstr("Payload Data")));
    EXPECT_THAT(two, HasSubstr("class Payload"));
    EXPECT_THAT(two, HasSubstr("Payload Data\n\t\tde ad be ef\n"));
}

TEST(PFileFailure, EmptyAndTooLargeInputNeverReachTheReader) {
    PFile::MemReader r;
    EXPECT_EQ(-1, r.open(Bytes{}));
    expectFailure(r.failure(), PFile::FailureKind::empty, 0);
    // The unchecked open of zero bytes still ends at once (-2), and says it was empty.
    const Bytes one(1, 0);
    EXPECT_EQ(-2, r.open(one.data(), 0));
    EXPECT_EQ(PFile::FailureKind::empty, r.failure().kind);

    // One byte over the cap, over reserved but untouched address space: refused before any byte is read.
    const size_t over = size_t{Marshal::kMaxStreamSize} + 1;
    void* reserved = ::mmap(nullptr, over, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (reserved == MAP_FAILED) GTEST_SKIP() << "cannot reserve 2 GiB of address space";
    const std::span<const uint8_t> huge(static_cast<const uint8_t*>(reserved), over);
    EXPECT_EQ(-1, r.quickOpen(huge));
    expectFailure(r.failure(), PFile::FailureKind::containerTooLarge, 0);
    // At the cap it is read: its first page, all zero, is a header that fails its checksum.
    ASSERT_EQ(0, ::mprotect(reserved, 4096, PROT_READ));
    EXPECT_EQ(-1, r.quickOpen(huge.first(over - 1)));
    EXPECT_EQ(PFile::FailureKind::headerCrc, r.failure().kind);
    ::munmap(reserved, over);
}

// Both readers name the failure's kind and the offset at fault.
TEST(PFileFailure, BothReadersNameTheKindAndTheOffset) {
    const auto dir = kx::test::freshFolder("pfile");
    const std::string path = (dir / "kinds.pfile").string();
    const Bytes good = containerOf({{300, mixed(40)}}, false);
    Bytes crc = good;
    crc[kPayloadAt] ^= 0x01;
    // A stated payload size far beyond the file, with the header's checksum made right: nothing of that size
    // is allocated or read.
    const auto statingSize = [&](uint32_t size) {
        Bytes b = good;
        putU32(b, kDataHeaderAt + kDataSizeField, size);
        putU32(b, kDataHeaderAt + 16, ::crc(b.data() + kDataHeaderAt, 16));
        return b;
    };
    const struct {
        Bytes bytes;
        PFile::FailureKind kind;
        uint32_t offset;
        // Where they differ: a stated size above the stream cap is refused as such by the file reader, which
        // cannot know how much follows.
        PFile::FailureKind fileKind = PFile::FailureKind::none;
    } kCases[] = {
        {crc, PFile::FailureKind::dataCrc, kPayloadAt},
        // Cut 10 bytes into the data section's header (inside its dataSize field), then 5 into its payload.
        {Bytes(good.begin(), good.begin() + kDataHeaderAt + 10), PFile::FailureKind::truncated,
         kDataHeaderAt + kDataSizeField},
        {Bytes(good.begin(), good.begin() + kPayloadAt + 5), PFile::FailureKind::truncated, kPayloadAt},
        {statingSize(0x7FFFFFF0), PFile::FailureKind::truncated, kPayloadAt},
        {statingSize(0xFFFFFFF0), PFile::FailureKind::truncated, kPayloadAt, PFile::FailureKind::sectionTooLarge},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.bytes.size());
        PFile::MemReader mem;
        ASSERT_EQ(0, mem.quickOpen(c.bytes));
        ASSERT_TRUE(PFile::writeFileBytes(path, c.bytes));
        PFile::FileReader file;
        ASSERT_EQ(0, file.open(path.c_str()));
        PFile::Section s;
        EXPECT_EQ(-1, mem.read(s, true));
        EXPECT_EQ(-1, file.read(s, true));
        expectFailure(mem.failure(), c.kind, c.offset);
        expectFailure(file.failure(), c.fileKind == PFile::FailureKind::none ? c.kind : c.fileKind, c.offset);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
