#include "storage/CountedString.h"

#include <gtest/gtest.h>

#include "serialization/ByteStreamBuilder.h"
#include "serialization/ByteStreamReader.h"

using namespace Project;
using Marshal::ByteStreamReader;

namespace {
std::vector<uint8_t> counted(uint32_t count, const std::string& chars) {
    Marshal::ByteStreamBuilder b;
    b.write(count);
    b.write(chars.data(), static_cast<uint32_t>(chars.size()));
    return b.bytes();
}
}  // namespace

TEST(CountedString, WritesCountWithNul) {
    Marshal::ByteStreamBuilder b;
    writeCountedString(b, "ab");
    EXPECT_EQ(b.bytes(), (std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 0}));
}

TEST(CountedString, TextEndsAtFirstNul) {
    auto bytes = counted(6, std::string("ab\0cd\0", 6));
    ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::string s;
    EXPECT_EQ(readCountedString(r, s), Marshal::ok);
    EXPECT_EQ(s, "ab");
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(CountedString, CoreLimitsRefuseEmptyAndLongCounts) {
    for (uint32_t n : {0u, 201u}) {
        auto bytes = counted(n, std::string(n, 'x'));
        ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
        std::string s;
        EXPECT_EQ(readCountedString(r, s, true), Marshal::invalidData) << n;
    }
    auto ok = counted(200, std::string(199, 'x') + '\0');
    ByteStreamReader r(ok.data(), static_cast<uint32_t>(ok.size()));
    std::string s;
    EXPECT_EQ(readCountedString(r, s, true), Marshal::ok);
    EXPECT_EQ(s.size(), 199u);
}

TEST(CountedString, EvilCountLongerThanStreamIsReadError) {
    // A count of 4 GiB must neither allocate nor read past the buffer.
    for (uint32_t n : {0xFFFFFFFFu, 0x80000000u, 5u}) {
        auto bytes = counted(n, "abcd");
        ByteStreamReader r(bytes.data(), static_cast<uint32_t>(bytes.size()));
        std::string s;
        EXPECT_EQ(readCountedString(r, s), Marshal::readError) << n;
        EXPECT_TRUE(s.empty());
    }
}

TEST(CountedString, MissingCountIsReadError) {
    std::vector<uint8_t> bytes{1, 0};
    ByteStreamReader r(bytes.data(), 2);
    std::string s;
    EXPECT_EQ(readCountedString(r, s, true), Marshal::readError);
}

TEST(CountedString, Latin1ToUtf8) {
    EXPECT_EQ(latin1ToUtf8("abc"), "abc");
    EXPECT_EQ(latin1ToUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");  // "été"
    EXPECT_EQ(latin1ToUtf8("\xFF\x80"), "\xC3\xBF\xC2\x80");
    EXPECT_EQ(latin1ToUtf8(""), "");
}
