#include <gtest/gtest.h>

#include <boost/optional/optional_io.hpp>

#include "tester/ssh/Address.h"
#include "tester/host/Printable.h"
#include "tester/ssh/ShellQuote.h"
#include "tester/ssh/ShellText.h"

using namespace Kestrix::Tester;

namespace {

std::string strip(const std::string& raw) {
    EscapeStripper s;
    std::string out;
    s.feed(raw, out);
    return out;
}

const char* kPrompt = "([$])|([#]) ";

}  // namespace

TEST(EscapeStripper, RemovesCrAndTheCursorQueryAndKeepsTextAfterMalformedOrEndlessSequences) {
    // Bytes of a BusyBox shell behind OpenSSH with echo still on.
    EXPECT_EQ(strip("deferpowerdown\r\nOK\r\n# \x1b[6n"), "deferpowerdown\nOK\n# ");
    EXPECT_EQ(strip("a\x1b[12\nb"), "a\nb");
    EXPECT_EQ(strip("\x07\x01tab\there\x7f"), "tab\there");
    // An OSC string that never ends is given up, so later text shows again.
    std::string endless = "\x1b]" + std::string(5000, 'x') + "after";
    EXPECT_EQ(strip(endless).substr(strip(endless).size() - 5), "after");
    // UTF-8 passes through.
    EXPECT_EQ(strip("M\xc3\xbcller\r\n"), "M\xc3\xbcller\n");
}

TEST(EscapeStripper, HandlesSequencesSplitAcrossChunks) {
    const std::string raw =
        "a\x1b[1;31mred\x1b[0m\x1b]0;title\x07z\x1b]2;t\x1b\\!\x1b"
        "7x\x1b(By";
    // Every split point gives the same clean text.
    for (size_t cut = 0; cut <= raw.size(); ++cut) {
        EscapeStripper s;
        std::string out;
        s.feed(raw.substr(0, cut), out);
        s.feed(raw.substr(cut), out);
        EXPECT_EQ(out, "aredz!xy") << "cut at " << cut;
    }
}

TEST(PromptMatcher, MatchesOnlyAtTheEnd) {
    PromptMatcher p(kPrompt);
    EXPECT_EQ(p.findAtEnd("OK\n# "), size_t(3));
    EXPECT_EQ(p.findAtEnd("# "), size_t(0));
    EXPECT_FALSE(p.findAtEnd("price $5\n# x"));
    EXPECT_FALSE(p.findAtEnd("OK\n#"));
    // A "$ " prompt matches through the trailing blank.
    EXPECT_EQ(p.findAtEnd("OK\n~ $ "), size_t(5));
    // Output holding "# " or "$" earlier does not count, only the final prompt.
    EXPECT_EQ(p.findAtEnd("# comment\nprice $\nOK\n# "), size_t(21));
    EXPECT_FALSE(p.findAtEnd(""));
    // A long reply is searched at its tail only.
    std::string big(1 << 20, 'x');
    big += "\n# ";
    EXPECT_EQ(p.findAtEnd(big), big.size() - 2);
}

TEST(ShellText, EchoFirstLineAndStatusWordsMatchedWhole) {
    EXPECT_EQ(removeEcho("ls\nfile\n", "ls"), "file\n");
    EXPECT_EQ(removeEcho("stty -echo\n", "stty -echo"), "");
    EXPECT_EQ(removeEcho("lsx\n", "ls"), "lsx\n");
    EXPECT_EQ(removeEcho("file\n", "ls"), "file\n");
    EXPECT_EQ(firstLine("OK\nmore\n"), "OK");
    EXPECT_EQ(firstLine("OK"), "OK");
    EXPECT_EQ(firstLine(""), "");
    const std::vector<std::pair<std::string, bool>> ok{
        {"OK", true},
        {"OK\n", true},
        {"import: OK\n", true},
        {"RC_ENTITY_NOT_FOUND\nOK\n", true},
        {"TOKEN_EXPIRED", false},
        {"OKAY", false},
        {"RC_OK", false},
        {"ok", false},
        {"", false},
    };
    for (const auto& [text, holds] : ok) EXPECT_EQ(hasWord(text, "OK"), holds) << text;
    EXPECT_TRUE(isReplyLine("OK", "OK"));
    EXPECT_TRUE(isReplyLine("OK \r\nmore", "OK"));
    EXPECT_FALSE(isReplyLine("NOT OK", "OK"));
    EXPECT_FALSE(isReplyLine(" OK", "OK"));
    EXPECT_FALSE(isReplyLine("OK?", "OK"));
}

TEST(ShellQuote, DoubleQuotesEscapeEverythingTheShellWouldExpandAndOptionsAreSeen) {
    EXPECT_EQ(*doubleQuoted("/tmp/a b"), "\"/tmp/a b\"");
    EXPECT_EQ(*doubleQuoted("a\"b$c`d\\e'f"), "\"a\\\"b\\$c\\`d\\\\e'f\"");
    EXPECT_EQ(*doubleQuoted("$(rm -rf /)"), "\"\\$(rm -rf /)\"");
    EXPECT_FALSE(doubleQuoted("a\nb"));
    EXPECT_FALSE(doubleQuoted("a\rb"));
    EXPECT_FALSE(doubleQuoted(std::string("a\x03") + "b"));
    EXPECT_EQ(*doubleQuoted(""), "\"\"");
    // An interactive bash expands ! even inside double quotes: it is written outside them.
    EXPECT_EQ(*doubleQuoted("a!b"), "\"a\"\\!\"b\"");
    EXPECT_EQ(*doubleQuoted("!!"), "\"\"\\!\"\"\\!\"\"");
    // Paths that look like options.
    EXPECT_TRUE(isOptionLike("-f"));
    EXPECT_TRUE(isOptionLike("--help"));
    EXPECT_FALSE(isOptionLike("/tmp/-f"));
    EXPECT_FALSE(isOptionLike(""));
}

TEST(Printable, EveryControlAndEveryBrokenByteBecomesOneQuestionMark) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"scp: \x1b[2J\x1b]0;title\x07gone\r\n", "scp: ?[2J?]0;title?gone??"},
        {"a\tb\x7f\x01", "a?b??"},
        {std::string("x\0y", 3), "x?y"},
        // C1 controls written as UTF-8 (the 8-bit CSI, NEL) are one character each.
        {"x\xc2\x9b"
         "31my\xc2\x85",
         "x?31my?"},
        // The same controls as raw 8-bit bytes are not UTF-8.
        {"x\x9b"
         "31m",
         "x?31m"},
        // Well-formed characters of every length stay, whatever their bytes.
        {"caf\xc3\xa9 \xc4\x81 \xc2\xa0 \xe2\x82\xac \xf0\x9f\x94\x8c",
         "caf\xc3\xa9 \xc4\x81 \xc2\xa0 \xe2\x82\xac \xf0\x9f\x94\x8c"},
        // Cut, overlong, surrogate and out-of-range forms.
        {"end\xc2", "end?"},
        {"\xe2\x82", "??"},
        {"\xc0\xaf", "??"},
        {"\xe0\x80\xaf", "???"},
        {"\xed\xa0\x80", "???"},
        {"\xf4\x90\x80\x80", "????"},
        {"Kabel-\xe4 #1", "Kabel-? #1"},  // Latin-1, not UTF-8
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(printable(in), want) << in;
    // Lines keep their line feeds.
    EXPECT_EQ(printableLines("a\r\nb\x1b[1m\nc\rd"), "a\nb?[1m\nc?d");
    EXPECT_EQ(printableLines(""), "");
    EXPECT_EQ(printableLines("\n\n"), "\n\n");
}

TEST(ShellQuote, SingleQuotesForExecLines) {
    EXPECT_EQ(*singleQuoted("/tmp/x y"), "'/tmp/x y'");
    EXPECT_EQ(*singleQuoted("it's"), "'it'\\''s'");
    EXPECT_EQ(*singleQuoted("$HOME`x`"), "'$HOME`x`'");
    EXPECT_FALSE(singleQuoted("a\nb"));
}

TEST(Address, HostAndOptionalPort) {
    auto a = parseAddress("127.0.0.1:2222");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, "127.0.0.1");
    EXPECT_EQ(a->port, 2222);
    EXPECT_EQ(parseAddress("169.254.222.2")->port, 0);
    EXPECT_EQ(parseAddress("[::1]:22")->host, "::1");
    EXPECT_EQ(parseAddress("::1")->host, "::1");
    EXPECT_FALSE(parseAddress(""));
    EXPECT_FALSE(parseAddress(":22"));
    EXPECT_FALSE(parseAddress("h:0"));
    EXPECT_FALSE(parseAddress("h:65536"));
    EXPECT_FALSE(parseAddress("h:22x"));
    EXPECT_FALSE(parseAddress("[::1]x"));
}
