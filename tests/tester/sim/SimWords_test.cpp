// Command-line splitting of the simulator's shell: quoting, expansion, redirection, refusals.
#include <gtest/gtest.h>

#include "ShellWords.h"

using Kestrix::Sim::parseCommandLine;
using Kestrix::Sim::ParsedLine;

namespace {

std::vector<std::string> words(std::string_view line) {
    const ParsedLine p = parseCommandLine(line, [](std::string_view n) { return n == "HOME" ? "/root" : ""; });
    EXPECT_EQ(p.state, ParsedLine::State::complete) << line << ": " << p.error;
    EXPECT_EQ(p.commands.size(), 1u) << line;
    return p.commands.empty() ? std::vector<std::string>{} : p.commands[0].words;
}

using W = std::vector<std::string>;

}  // namespace

TEST(SimWords, QuotingExpansionAndShellQuoteRoundTrips) {
    EXPECT_EQ(words("ls -lQ \"/a b/c\""), (W{"ls", "-lQ", "/a b/c"}));
    EXPECT_EQ(words("  rm\t'x y'  "), (W{"rm", "x y"}));
    EXPECT_EQ(words(R"(echo "a\"b\\c\$d\`e\x")"), (W{"echo", "a\"b\\c$d`e\\x"}));
    EXPECT_EQ(words(R"(echo 'a\"b$c`d')"), (W{"echo", "a\\\"b$c`d"}));
    EXPECT_EQ(words(R"(echo a\ b\"c\\d\$e)"), (W{"echo", "a b\"c\\d$e"}));
    EXPECT_EQ(words("echo ab'c d'\"e f\"g"), (W{"echo", "abc de fg"}));
    EXPECT_EQ(words("echo '' \"\" x"), (W{"echo", "", "", "x"}));
    EXPECT_EQ(words("echo 'it'\\''s'"), (W{"echo", "it's"}));
    EXPECT_EQ(words("echo a\\\nb"), (W{"echo", "ab"}));
    EXPECT_EQ(words("echo \"a\nb\""), (W{"echo", "a\nb"}));
    EXPECT_EQ(words("echo a#b # comment"), (W{"echo", "a#b"}));
    EXPECT_EQ(words("echo $HOME ${HOME}/x \"$HOME\" '$HOME'"), (W{"echo", "/root", "/root/x", "/root", "$HOME"}));
    EXPECT_EQ(words("echo $NOPE \"$NOPE\" x"), (W{"echo", "", "x"}));
    EXPECT_EQ(words("echo $ a$ \"$\" $1x"), (W{"echo", "$", "a$", "$", "x"}));
    const std::string nasty[] = {"",
                                 "plain",
                                 "a b",
                                 "it's",
                                 "''",
                                 "\"$HOME\"",
                                 "`id`",
                                 "\\",
                                 "a\nb",
                                 ";|&<>()#*?",
                                 std::string("x\0y", 3),
                                 "\xc3\xa9t\xc3\xa9"};
    for (const auto& s : nasty) {
        const ParsedLine p = parseCommandLine("cmd " + Kestrix::Sim::shellQuote(s));
        ASSERT_EQ(p.state, ParsedLine::State::complete) << s;
        ASSERT_EQ(p.commands.size(), 1u);
        EXPECT_EQ(p.commands[0].words, (W{"cmd", s}));
    }
}

TEST(SimWords, SequencesAndRedirections) {
    ParsedLine p = parseCommandLine("dmesg > /tmp/dmesg.txt; fbdump >/tmp/sd.ppm;x 2>>/tmp/e 1>o");
    ASSERT_EQ(p.state, ParsedLine::State::complete) << p.error;
    ASSERT_EQ(p.commands.size(), 3u);
    EXPECT_EQ(p.commands[0].words, (W{"dmesg"}));
    ASSERT_EQ(p.commands[0].redirects.size(), 1u);
    EXPECT_EQ(p.commands[0].redirects[0].path, "/tmp/dmesg.txt");
    EXPECT_EQ(p.commands[1].redirects[0].path, "/tmp/sd.ppm");
    ASSERT_EQ(p.commands[2].redirects.size(), 2u);
    EXPECT_EQ(p.commands[2].redirects[0].fd, 2);
    EXPECT_TRUE(p.commands[2].redirects[0].append);
    EXPECT_EQ(p.commands[2].redirects[1].fd, 1);
    EXPECT_EQ(p.commands[2].words, (W{"x"}));
    // A quoted "2" is a word, not a stream number.
    p = parseCommandLine("echo '2'>f");
    EXPECT_EQ(p.commands[0].words, (W{"echo", "2"}));
    EXPECT_EQ(p.commands[0].redirects[0].fd, 1);
}

TEST(SimWords, IncompleteAndRefusedLines) {
    for (const char* line : {"echo \"abc", "echo 'abc", "echo abc\\", "echo ${HOME", "echo \"a\\"}) {
        EXPECT_EQ(parseCommandLine(line).state, ParsedLine::State::incomplete) << line;
    }
    for (const char* line : {"ls | wc", "sleep 1 &", "echo `id`", "echo \"`id`\"", "echo $(id)", "a && b", "cat < f",
                             "echo >", "; ls", "echo ${a-b}", "(ls)"}) {
        const ParsedLine p = parseCommandLine(line);
        EXPECT_EQ(p.state, ParsedLine::State::error) << line;
        EXPECT_TRUE(p.commands.empty());
    }
    EXPECT_TRUE(parseCommandLine("   ").commands.empty());
    EXPECT_EQ(parseCommandLine("   ").state, ParsedLine::State::complete);
}
