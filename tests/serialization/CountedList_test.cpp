#include "SerializationTesting.h"

#include "serialization/CountedList.h"

namespace {

// A two-byte element that refuses the value 0xFFFF, so a failing element can be planted anywhere.
struct Cell {
    static constexpr size_t kWireSize = 2;
    uint16_t value = 0;
    void serialize(IObjectWriter& w) const { w.write(value); }
    StreamOpStatus deserialize(IObjectReader& r) {
        r.read(value);
        if (r.failed()) return readError;
        return value == 0xFFFF ? invalidData : ok;
    }
};

// The stored count as Count, then `bytes` further bytes of payload (cells of value 1, 2, ...).
template <typename Count>
std::vector<uint8_t> countedCells(Count count, size_t bytes) {
    ByteStreamBuilder b;
    b.write(count);
    for (size_t i = 0; i < bytes; ++i) b.write(static_cast<uint8_t>(i % 2 == 0 ? i / 2 + 1 : 0));
    return b.bytes();
}

template <typename Count>
void checkBoundForWidth(Count count) {
    SCOPED_TRACE(sizeof(Count));
    const size_t need = static_cast<size_t>(count) * Cell::kWireSize;

    // One byte short: refused before the list is sized or any element is read.
    auto shortBytes = countedCells<Count>(count, need - 1);
    ByteStreamReader shortReader(shortBytes.data(), static_cast<uint32_t>(shortBytes.size()));
    std::vector<Cell> cells(3);
    EXPECT_EQ(readList<Count>(shortReader, cells, Cell::kWireSize), readError);
    EXPECT_TRUE(cells.empty());
    EXPECT_EQ(cells.capacity(), 3u);  // no allocation driven by the refused count
    EXPECT_EQ(shortReader.seek(0, current), static_cast<int32_t>(sizeof(Count)));

    // Exact fit: every element read, nothing left.
    auto exact = countedCells<Count>(count, need);
    ByteStreamReader exactReader(exact.data(), static_cast<uint32_t>(exact.size()));
    ASSERT_EQ(readList<Count>(exactReader, cells, Cell::kWireSize), ok);
    ASSERT_EQ(cells.size(), static_cast<size_t>(count));
    EXPECT_EQ(cells.front().value, 1);
    EXPECT_EQ(cells.back().value, static_cast<uint8_t>(count));  // the filler's low byte wraps
    EXPECT_EQ(exactReader.remaining(), 0u);
}

}  // namespace

TEST(CountedList, CountIsCheckedAgainstTheBytesLeftForEveryWidth) {
    checkBoundForWidth<uint8_t>(200);
    checkBoundForWidth<uint16_t>(3000);
    checkBoundForWidth<uint32_t>(70000);
    checkBoundForWidth<int32_t>(5);
}

TEST(CountedList, HugeCountsAreRefusedWithoutAllocating) {
    const uint8_t fourOnes[8] = {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4};
    ByteStreamReader r(fourOnes, 8);
    std::vector<uint8_t> bytes;
    EXPECT_EQ(readValues<uint32_t>(r, bytes), readError);
    EXPECT_EQ(bytes.capacity(), 0u);

    // The element's minimum width matters: 4 bytes left hold 4 one-byte items but not 4 pairs.
    const uint8_t counted[5] = {4, 1, 2, 3, 4};
    ByteStreamReader narrow(counted, 5);
    EXPECT_EQ(readValues<uint8_t>(narrow, bytes), ok);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
    ByteStreamReader wide(counted, 5);
    std::vector<uint16_t> pairs;
    EXPECT_EQ(readValues<uint8_t>(wide, pairs), readError);
    EXPECT_TRUE(pairs.empty());
}

TEST(CountedList, FirstFailingElementIsPassedUpAndStopsTheRead) {
    ByteStreamBuilder b;
    b.write(static_cast<uint16_t>(3));
    b.write(static_cast<uint16_t>(7));
    b.write(static_cast<uint16_t>(0xFFFF));  // refused by the element itself
    b.write(static_cast<uint16_t>(9));
    const auto bytes = b.bytes();
    ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<Cell> cells;
    EXPECT_EQ(readList<uint16_t>(r, cells, Cell::kWireSize), invalidData);
    EXPECT_EQ(r.remaining(), 2u);  // the third element was never read
    ASSERT_EQ(cells.size(), 1u);   // only the whole elements before the failing one
    EXPECT_EQ(cells[0].value, 7);

    int calls = 0;
    ByteStreamReader again(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(readEach<uint16_t>(again, 2,
                                 [&](IObjectReader& in) {
                                     ++calls;
                                     Cell c;
                                     return c.deserialize(in);
                                 }),
              invalidData);
    EXPECT_EQ(calls, 2);
}

TEST(CountedList, AFailedStreamOrANegativeCountReadsNothing) {
    // A read that already failed poisons the count that follows, even when the count's bytes are there.
    const uint8_t bytes[3] = {1, 5, 0};
    ByteStreamReader r(bytes, 3);
    uint32_t tooBig = 0;
    EXPECT_FALSE(r.read(tooBig));
    uint32_t count = 99;
    EXPECT_FALSE(readCount<uint8_t>(r, 1, count));
    EXPECT_EQ(count, 0u);

    // A signed count below zero is an empty list, not a huge one.
    const uint8_t negative[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    ByteStreamReader n(negative, 4);
    std::vector<Cell> cells(2);
    EXPECT_EQ(readList<int32_t>(n, cells, Cell::kWireSize), ok);
    EXPECT_TRUE(cells.empty());
}

TEST(CountedList, NulTerminatedTextFields) {
    auto field = [](uint32_t n, const std::string& chars) {
        ByteStreamBuilder b;
        b.write(n);
        b.write(chars.data(), static_cast<uint32_t>(chars.size()));
        return b.bytes();
    };
    auto read = [](const std::vector<uint8_t>& bytes, uint32_t max, std::string& out) {
        ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
        return readNulTerminated(r, max, out);
    };
    std::string s;
    EXPECT_EQ(read(field(4, std::string("abc\0", 4)), 16, s), ok);
    EXPECT_EQ(s, "abc");
    EXPECT_EQ(read(field(4, std::string("a\0c\0", 4)), 16, s), ok);
    EXPECT_EQ(s, "a");
    s = "keep";
    EXPECT_EQ(read(field(0, ""), 16, s), invalidData);
    EXPECT_EQ(read(field(3, "abc"), 16, s), invalidData);                   // no terminator
    EXPECT_EQ(read(field(17, std::string(17, '\0')), 16, s), invalidData);  // above the field's limit
    EXPECT_EQ(read(field(0xFFFFFFF0u, std::string("ab\0", 3)), 0xFFFFFFFFu, s), readError);
    EXPECT_EQ(s, "keep");
}

TEST(CountedList, WriterStoresAtMostTheWidthsMaximumAndReadsBack) {
    std::vector<Cell> many(70000);
    for (size_t i = 0; i < many.size(); ++i) many[i].value = static_cast<uint16_t>(i % 1000);
    ByteStreamBuilder b;
    writeList<uint16_t>(b, many);
    EXPECT_EQ(b.size(), 2 + 65535 * 2);
    const auto bytes = b.bytes();
    ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<Cell> back;
    ASSERT_EQ(readList<uint16_t>(r, back, Cell::kWireSize), ok);
    ASSERT_EQ(back.size(), 65535u);
    EXPECT_EQ(back.back().value, 65534 % 1000);

    ByteStreamBuilder small;
    EXPECT_EQ(writeCount<uint8_t>(small, 300), 255);
    EXPECT_EQ(writeCount<uint8_t>(small, 7), 7);
    EXPECT_EQ(small.bytes(), (std::vector<uint8_t>{255, 7}));
}
