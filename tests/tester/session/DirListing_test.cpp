#include <gtest/gtest.h>

#include "tester/session/DirListing.h"

using namespace Kestrix::Tester;

namespace {

// BusyBox `ls -lQ`: mode, links (%4lu), owner and group (%-8.8s), size (%9), date, quoted name.
std::string line(const std::string& size, const std::string& name) {
    std::string s = "-rw-r--r--    1 root     root     ";
    s += std::string(size.size() < 9 ? 9 - size.size() : 0, ' ') + size;
    return s + " Dec  6 13:28 \"" + name + "\"\n";
}

}  // namespace

TEST(DirListing, ReadsBusyBoxLinesInOrder) {
    std::string reply = "total 12\n" + line("1234", "a.txt") + line("0", "empty") +
                        "drwxr-xr-x    2 root     root          4096 Dec  6 13:28 \"My Project\"\n";
    auto list = parseDirListing(reply);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0].name, "a.txt");
    EXPECT_EQ((*list)[0].size, 1234);
    EXPECT_EQ((*list)[1].size, 0);
    EXPECT_EQ((*list)[2].name, "My Project");
    EXPECT_EQ((*list)[2].size, 4096);
}

TEST(DirListing, SizeFieldStartsAfterColumn35) {
    std::string l = line("12345678", "x");
    EXPECT_EQ(l.find("12345678"), 35u);
    EXPECT_EQ((*parseDirListing(l))[0].size, 12345678);
}

TEST(DirListing, NineDigitSizesKeepTheirFirstDigit) {
    EXPECT_EQ((*parseDirListing(line("123456789", "big.bin")))[0].size, 123456789);
    // Sizes of ten digits push the field further left still.
    std::string wide = "-rw-r--r--    1 root     root     1234567890 Dec  6 13:28 \"huge\"\n";
    EXPECT_EQ((*parseDirListing(wide))[0].size, 1234567890);
}

TEST(DirListing, EscapedQuotesAndBackslashesInNames) {
    auto list = parseDirListing(line("5", "say \\\"hi\\\" \\\\ $x"));
    ASSERT_TRUE(list);
    EXPECT_EQ((*list)[0].name, "say \"hi\" \\ $x");
    // A symbolic link: the name, not the target.
    std::string link = "lrwxrwxrwx    1 root     root            11 Dec  6 13:28 \"l\" -> \"target\"\n";
    EXPECT_EQ((*parseDirListing(link))[0].name, "l");
}

TEST(DirListing, ShortLinesAndAnUnterminatedLastLineAreSkipped) {
    std::string last = line("77", "last");
    last.pop_back();
    auto list = parseDirListing(line("1", "first") + last);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ((*list)[0].name, "first");
    // 50 characters exactly is not read.
    std::string fifty(50, 'x');
    EXPECT_FALSE(parseDirListing(fifty + "\n"));
}

TEST(DirListing, FailuresGiveNone) {
    EXPECT_FALSE(parseDirListing(""));
    EXPECT_FALSE(parseDirListing("total 0\n"));
    EXPECT_FALSE(parseDirListing("ls: /nope: No such file or directory\n"));
    EXPECT_FALSE(parseDirListing(line("12a4", "x")));
    EXPECT_FALSE(parseDirListing(line("-5", "x")));
    EXPECT_FALSE(parseDirListing(line("99999999999999999999", "x")));
    // A size but no name.
    std::string noName = line("12", "x");
    noName.erase(noName.find('"'));
    EXPECT_FALSE(parseDirListing(noName + "      \n"));
    // Unterminated quote.
    std::string open = line("12", "x");
    open.erase(open.size() - 2, 1);
    EXPECT_FALSE(parseDirListing(open));
    // Device files show "major, minor" where the size would be.
    std::string dev = "crw-rw-rw-    1 root     root        1,   3 Dec  6 13:28 \"null\"\n";
    EXPECT_FALSE(parseDirListing(dev));
}

TEST(DirListing, EveryPrefixOfAListingParsesWithoutFault) {
    std::string reply = "total 8\n" + line("1234", "a \\\"b\\\"") + line("123456789", "c");
    for (size_t n = 0; n <= reply.size(); ++n) {
        auto list = parseDirListing(reply.substr(0, n));
        if (list) {
            EXPECT_LE(list->size(), 2u);
        }
    }
}
