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

// The entries as "name:size|...", or "none".
std::string parsed(const std::string& reply) {
    const auto list = parseDirListing(reply);
    if (!list) return "none";
    std::string out;
    for (const auto& e : *list) out += e.name + ":" + std::to_string(e.size) + "|";
    return out;
}

}  // namespace

// Every prefix of a listing is left to the reply fuzz target.
TEST(DirListing, EntriesOfEachReply) {
    EXPECT_EQ(line("12345678", "x").find("12345678"), 35u);  // the size field starts after column 35
    std::string noName = line("12", "x");
    noName.erase(noName.find('"'));
    std::string unterminated = line("12", "x");
    unterminated.erase(unterminated.size() - 2, 1);
    std::string cutLast = line("77", "last");
    cutLast.pop_back();
    const struct {
        std::string reply, entries;
    } cases[] = {
        {"total 12\n" + line("1234", "a.txt") + line("0", "empty") +
             "drwxr-xr-x    2 root     root          4096 Dec  6 13:28 \"My Project\"\n",
         "a.txt:1234|empty:0|My Project:4096|"},
        {line("12345678", "x"), "x:12345678|"},
        {line("123456789", "big.bin"), "big.bin:123456789|"},
        // Sizes of ten digits push the field further left still.
        {"-rw-r--r--    1 root     root     1234567890 Dec  6 13:28 \"huge\"\n", "huge:1234567890|"},
        {line("5", "say \\\"hi\\\" \\\\ $x"), "say \"hi\" \\ $x:5|"},
        // A symbolic link: the name, not the target.
        {"lrwxrwxrwx    1 root     root            11 Dec  6 13:28 \"l\" -> \"target\"\n", "l:11|"},
        // An unterminated last line is skipped; 50 characters exactly are not read.
        {line("1", "first") + cutLast, "first:1|"},
        {"-rw-r--r--    1 root     root             1 \"xxxx\"\n", "none"},
        {"-rw-r--r--    1 root     root             1 \"xxxxx\"\n", "xxxxx:1|"},
        {"", "none"},
        {"total 0\n", "none"},
        {"ls: /nope: No such file or directory\n", "none"},
        {line("12a4", "x"), "none"},
        {line("-5", "x"), "none"},
        {line("99999999999999999999", "x"), "none"},
        {noName + "      \n", "none"},
        {unterminated, "none"},
        // Device files show "major, minor" where the size would be.
        {"crw-rw-rw-    1 root     root        1,   3 Dec  6 13:28 \"null\"\n", "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(parsed(c.reply), c.entries) << c.reply;
}
