#include "storage/CountedString.h"

#include "storage/StorageTesting.h"

using Marshal::ByteStreamReader;

namespace {
std::vector<uint8_t> counted(uint32_t count, const std::string& chars) {
    Marshal::ByteStreamBuilder b;
    b.write(count);
    b.write(chars.data(), static_cast<uint32_t>(chars.size()));
    return b.bytes();
}
}  // namespace

TEST(CountedString, ReadsToTheFirstNulWithinItsCount) {
    const struct {
        std::vector<uint8_t> bytes;
        bool coreLimits;
        Marshal::StreamOpStatus status;
        std::string text;
    } kCases[] = {
        {counted(6, std::string("ab\0cd\0", 6)), false, Marshal::ok, "ab"},
        // A project's core texts: 1 to 200 bytes with the nul.
        {counted(0, ""), true, Marshal::invalidData, ""},
        {counted(201, std::string(201, 'x')), true, Marshal::invalidData, ""},
        {counted(200, std::string(199, 'x') + '\0'), true, Marshal::ok, std::string(199, 'x')},
        // A count of 4 GiB must neither allocate nor read past the buffer.
        {counted(0xFFFFFFFFu, "abcd"), false, Marshal::readError, ""},
        {counted(0x80000000u, "abcd"), false, Marshal::readError, ""},
        {counted(5, "abcd"), false, Marshal::readError, ""},
        {{1, 0}, true, Marshal::readError, ""},  // no whole count
    };
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const auto& c = kCases[i];
        SCOPED_TRACE(i);
        ByteStreamReader r(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()));
        std::string s;
        EXPECT_EQ(readCountedString(r, s, c.coreLimits), c.status);
        if (c.status != Marshal::invalidData) {
            EXPECT_EQ(s, c.text);
        }
        if (c.status == Marshal::ok) {
            EXPECT_EQ(r.remaining(), 0u);
        }
    }
}
