#include "SerializationTesting.h"

#include "serialization/ByteStreamCounter.h"
#include "serialization/ReadObject.h"

namespace {

// Runs the same writes against any writer, so builder and counter can be compared.
void writeMix(IObjectWriter& w) {
    const double doubles[3] = {1.5, -2.25, 1e300};
    const uint16_t shorts[2] = {1, 2};
    const bool bools[2] = {true, false};
    w.write(std::string("hello"));
    w.write(std::string());
    w.write(doubles, 3);
    w.write(shorts, 2);
    w.write(bools, 2);
    w.write("abc", 3);
    w.write(static_cast<int64_t>(-1));
    w.write(3.25f);
    w.write(static_cast<int8_t>(-3));
    w.write(true);
    w.write('x');
    const int32_t mark = w.seek(0, current);
    w.write(static_cast<uint32_t>(0));
    w.seek(2, begin);
    w.write(static_cast<uint16_t>(7));  // overwrite in place
    w.seek(mark, begin);
    w.write(static_cast<uint32_t>(42));
    w.seek(0, end);
    w.write(static_cast<uint64_t>(9));
}

}  // namespace

TEST(ByteStreamBuilder, PrimitivesAreLittleEndianWithoutPaddingAndSeekBackOverwrites) {
    ByteStreamBuilder b;
    b.write(static_cast<uint16_t>(0xABCD));
    b.write(static_cast<int32_t>(-2));
    b.write(std::string());
    b.write(1.0f);
    EXPECT_EQ(b.bytes(),
              (std::vector<uint8_t>{0xCD, 0xAB, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F}));
    // Seeking back overwrites without growing.
    EXPECT_EQ(b.seek(1, begin), 1);
    b.write(static_cast<uint8_t>(9));
    EXPECT_EQ(b.size(), 12);
    EXPECT_EQ(b.bytes()[1], 9);
    EXPECT_EQ(b.seek(0, end), 12);
    b.write(static_cast<uint8_t>(4));
    EXPECT_EQ(b.size(), 13);
}

// The counter counts exactly what the builder writes.
TEST(ByteStreamReader, ReadsBackEveryPrimitiveTheBuilderWroteAndTheCounterCounted) {
    ByteStreamBuilder b;
    ByteStreamCounter c;
    writeMix(b);
    writeMix(c);
    EXPECT_EQ(c.size(), b.size());
    EXPECT_EQ(c.seek(0, current), b.seek(0, current));
    const auto bytes = b.bytes();
    ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::string s1, s2;
    double d[3];
    uint16_t sh[2];
    bool bo[2];
    char abc[3];
    int64_t i64;
    float f;
    int8_t i8;
    bool flag;
    char ch;
    uint32_t patched;
    uint64_t tail;
    EXPECT_TRUE(r.read(s1) && r.read(s2) && r.read(d, 3) && r.read(sh, 2) && r.read(bo, 2) && r.read(abc, 3) &&
                r.read(i64) && r.read(f) && r.read(i8) && r.read(flag) && r.read(ch) && r.read(patched) &&
                r.read(tail));
    EXPECT_EQ(s1, std::string("\x07\0llo", 5));  // the in-place overwrite landed in the text
    EXPECT_EQ(s2, "");
    EXPECT_EQ(d[2], 1e300);
    EXPECT_EQ(i64, -1);
    EXPECT_EQ(f, 3.25f);
    EXPECT_EQ(i8, -3);
    EXPECT_TRUE(flag);
    EXPECT_EQ(ch, 'x');
    EXPECT_EQ(patched, 42u);
    EXPECT_EQ(tail, 9u);
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_FALSE(r.failed());
}

// The failure flag and offset stick at the first read that did not fit, but later fitting reads deliver.
TEST(ByteStreamReader, FailureIsStickyAtTheFirstReadThatDidNotFit) {
    const uint8_t bytes[7] = {1, 2, 3, 0, 9, 0, 'x'};
    ByteStreamReader r(bytes, 7);
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    ASSERT_TRUE(r.read(u16));
    ASSERT_TRUE(r.read(u16));
    EXPECT_FALSE(r.read(u32));  // at 4, only 3 bytes left
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.remaining(), 3u);
    EXPECT_EQ(r.failedAt(), 4u);
    std::string s;
    EXPECT_FALSE(r.read(s));  // a later failure, further on, does not move it
    EXPECT_EQ(r.failedAt(), 4u);
    uint8_t one = 0;
    EXPECT_TRUE(r.read(one));
    EXPECT_EQ(one, 'x');  // the string's length was read
    EXPECT_TRUE(r.failed());

    // A string whose text is cut off fails where the text starts, after its length, sized but not filled; one
    // without a whole length is left as it was.
    ByteStreamReader text(bytes + 4, 3);
    EXPECT_FALSE(text.read(s));
    EXPECT_EQ(text.failedAt(), 2u);
    EXPECT_EQ(s, std::string(9, '\0'));
    ByteStreamReader lone(bytes + 6, 1);
    s = "keep";
    EXPECT_FALSE(lone.read(s));
    EXPECT_EQ(s, "keep");
}

TEST(ByteStreamReader, EmptyBufferOrShortArrayReadsFailAndCopyNothing) {
    // An empty payload (a null pointer included) is a stream to read, not a caller's error.
    const uint8_t one[1] = {5};
    for (const uint8_t* data : {static_cast<const uint8_t*>(nullptr), one}) {
        ByteStreamReader r(data, 0);
        EXPECT_EQ(r.remaining(), 0u);
        EXPECT_TRUE(r.read(static_cast<uint8_t*>(nullptr), 0));
        EXPECT_FALSE(r.failed());
        EXPECT_EQ(r.seek(0, end), 0);
        uint8_t b = 7;
        std::string s = "keep";
        uint16_t shorts[1] = {9};
        EXPECT_FALSE(r.read(b));
        EXPECT_FALSE(r.read(s));
        EXPECT_FALSE(r.read(shorts, 1));
        EXPECT_TRUE(r.failed());
        EXPECT_EQ(b, 7);
        EXPECT_EQ(s, "keep");
        EXPECT_EQ(shorts[0], 9);
    }

    // An array that does not fit copies nothing; seeks stay in bounds.
    const uint8_t bytes[10] = {1, 0, 0, 0, 2, 0, 0, 0, 3, 0};
    ByteStreamReader r(bytes, 10);
    uint32_t out[3] = {7, 7, 7};
    EXPECT_FALSE(r.read(out, 3));
    EXPECT_EQ(out[0], 7u);
    EXPECT_EQ(r.seek(0, current), 0);
    // A count whose byte size overflows 32 bits is refused, not wrapped.
    EXPECT_FALSE(r.read(out, 0x40000001u));
    EXPECT_FALSE(r.fits(0xFFFFFFFFull, 4));
    EXPECT_EQ(r.seek(0, end), 10);
    EXPECT_EQ(r.seek(-3, current), 7);
    EXPECT_TRUE(r.fits(3, 1));
    EXPECT_FALSE(r.fits(2, 2));
}

namespace {
// Two fields, enough to see where a read stops.
struct TwoFields : ISerializable {
    uint32_t a = 0;
    uint16_t b = 0;
    void serialize(IObjectWriter& w) const override {
        w.write(a);
        w.write(b);
    }
    StreamOpStatus deserialize(IObjectReader& r) override {
        r.read(a);
        r.read(b);
        return r.failed() ? readError : ok;
    }
};
}  // namespace

TEST(ReadObject, EmptyBytesAreRefusedAndCutOnesSayWhere) {
    TwoFields obj;
    obj.a = 7;
    auto read = readObject({}, obj);
    EXPECT_EQ(readError, read.status);
    EXPECT_EQ(SpanFault::empty, read.fault);
    EXPECT_EQ(7u, obj.a);  // nothing was read into it

    const uint8_t cut[5] = {1, 0, 0, 0, 9};  // the second field lacks a byte
    read = readObject(cut, obj);
    EXPECT_EQ(readError, read.status);
    EXPECT_EQ(SpanFault::none, read.fault);
    EXPECT_TRUE(read.readerFailed);
    EXPECT_EQ(4u, read.failedAt);

    const uint8_t whole[6] = {1, 0, 0, 0, 9, 0};
    read = readObject(whole, obj);
    EXPECT_EQ(ok, read.status);
    EXPECT_FALSE(read.readerFailed);
    EXPECT_EQ(9u, obj.b);
}

TEST(ByteStreamDeathTest, SeekPastTheEndIsAProgrammingError) {
    const uint8_t bytes[2] = {};
    ByteStreamReader r(bytes, 2);
    EXPECT_DEATH(r.seek(1, end),
                 "Assertion failed at serialization\\\\SeekTarget:[0-9]+ static_cast<size_t>\\(req_indx\\) <= _size");
}
