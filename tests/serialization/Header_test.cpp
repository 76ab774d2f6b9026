#include "SerializationTesting.h"

#include "core/TestBytes.h"
#include "serialization/Header.h"

using kx::test::readInto;

namespace {

// A framed class with the layout of the four-number database version, grown by one field in
// "version 2" so that the gating rules can be exercised.
struct Versioned : ISerializable {
    uint16_t schema = 0, content = 0, object = 0, build = 0;
    uint32_t extra = 0xDEFA;  // default when absent
    uint8_t writeVersion = 1;
    uint8_t readMax = 1;

    void serialize(IObjectWriter& w) const override {
        Header h(writeVersion, SerialTypeID(0x0051, 0x0008));
        h.serialize(w);
        w.write(schema);
        w.write(content);
        w.write(object);
        w.write(build);
        if (writeVersion >= 2) w.write(extra);
        h.finishWrite(w);
    }
    StreamOpStatus deserialize(IObjectReader& r) override {
        Header h;
        if (auto st = h.deserialize(r)) return st;
        if (auto st = h.check(readMax, 0x00510008)) return st;
        r.read(schema);
        r.read(content);
        r.read(object);
        r.read(build);
        if (h.classVersion >= 2 && readMax >= 2) r.read(extra);
        return h.finishRead(r, r.failed() ? readError : ok);
    }
};

// Accepts versions 1 and 2 but reads only the first field, as a reader that knows less than the writer.
struct OneField : Versioned {
    StreamOpStatus deserialize(IObjectReader& r) override {
        Header h;
        if (auto st = h.begin(r, TypeInfo{0x0051, 0x0008, 2})) return st;
        r.read(schema);
        return h.finishRead(r, r.failed() ? readError : ok);
    }
};

std::vector<uint8_t> golden() {
    return {0xCD, 0xAB, 0x01, 0x01, 0x51, 0x00, 0x08, 0x00, 0x08, 0x00,
            0x00, 0x00, 0x03, 0x00, 0x01, 0x00, 0x02, 0x00, 0x07, 0x00};
}

}  // namespace

TEST(ObjectFraming, RejectsWrongVersionTypeMagicTruncationAndALengthOutsideTheBuffer) {
    const struct {
        std::vector<std::pair<size_t, uint8_t>> edits;
        StreamOpStatus status;
    } kCases[] = {
        {{{3, 2}}, versionTooNew},       {{{6, 9}}, invalidData},
        {{{6, 9}, {3, 2}}, invalidData},  // the type is checked before the version
        {{{2, 2}}, headerVersionTooNew}, {{{0, 0}}, badMagic},
    };
    for (const auto& c : kCases) {
        auto bytes = golden();
        for (const auto& [at, value] : c.edits) bytes[at] = value;
        Versioned v;
        EXPECT_EQ(readInto(v, bytes), c.status) << c.edits.size() << " " << c.edits[0].first;
    }
    // Every prefix fails, payloads shorter than their fields included: the failure flag wins over the size check.
    const auto good = golden();
    for (size_t n = 1; n < good.size(); ++n) {
        Versioned v;
        EXPECT_EQ(readInto(v, std::vector<uint8_t>(good.begin(), good.begin() + n)), readError) << n;
    }
    // Older data gets defaults, and a newer reader accepts it.
    Versioned v;
    v.readMax = 2;
    EXPECT_EQ(readInto(v, golden()), ok);
    EXPECT_EQ(v.extra, 0xDEFAu);

    // A length pointing outside the buffer is a read error, not a crash.
    auto bytes = golden();
    bytes[8] = 0xFF;  // length 255, only 8 payload bytes present
    OneField one;
    ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(one.deserialize(r), readError);
    // All fields present, but the announced end lies beyond the buffer.
    EXPECT_EQ(readInto(v, bytes), readError);
}

TEST(ObjectFraming, UnreadPayloadIsSizeMismatchAndReaderLandsAtTheEnd) {
    Versioned writer;
    writer.writeVersion = 2;
    writer.extra = 5;
    ByteStreamBuilder b;
    writer.serialize(b);
    b.write(static_cast<uint8_t>(0xEE));  // the owner's next byte
    const auto bytes = b.bytes();
    OneField shortReader;
    ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(shortReader.deserialize(r), sizeMismatch);
    EXPECT_EQ(r.seek(0, current), 24);
    uint8_t next = 0;
    EXPECT_TRUE(r.read(next));
    EXPECT_EQ(next, 0xEE);

    // The payload ends exactly at the buffer's end: still a size mismatch, not a length outside the buffer.
    ByteStreamReader flush(bytes.data(), static_cast<uint32_t>(bytes.size() - 1));
    EXPECT_EQ(shortReader.deserialize(flush), sizeMismatch);
    EXPECT_EQ(flush.remaining(), 0u);
    EXPECT_FALSE(flush.failed());
}
