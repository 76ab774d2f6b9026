#include "serialization/SimpleLogFormatter.h"

#include <gtest/gtest.h>

#include "core/Golden.h"
#include "serialization/LogSink.h"

namespace {

struct LogCapture {
    struct Line {
        int32_t facility, severity;
        std::string text;
    };
    std::vector<Line> lines;
    LogCapture() {
        Dump::setLogSink([this](int32_t f, int32_t s, const std::string& t) { lines.push_back({f, s, t}); });
    }
    ~LogCapture() { Dump::setLogSink(nullptr); }
};

TEST(SimpleLogFormatter, EntriesAndValues) {
    LogCapture log;
    Dump::SimpleLogFormatter f(3, 2);
    f.write("count", int32_t{-4});
    f.write("size", uint16_t{65535});
    f.write("ratio", 0.5);
    f.write("big", int64_t{-1} << 40);
    f.write("flag", true);
    f.write(nullptr, "text");
    f.hex("flags", uint32_t{31});
    f.hex("wide", uint64_t{0x1234567890});
    f.hex("neg", int8_t{-1});
    f.indent();
    f.value(uint8_t{200});
    f.value(false);
    f.hexValue(uint16_t{0xab});
    f.line(static_cast<const char*>(nullptr));
    std::ostringstream s;
    s << "streamed " << 5;
    f.write("os", s);
    EXPECT_TRUE(s.str().empty());
    f.unindent();

    std::string texts;
    for (const auto& l : log.lines) {
        EXPECT_EQ(3, l.facility);
        EXPECT_EQ(2, l.severity);
        texts += l.text + "\n";
    }
    kx::test::expectGolden(texts, "SimpleLogFormatter.txt");
}

TEST(SimpleLogFormatter, IndentationStopsAtTen) {
    LogCapture log;
    Dump::SimpleLogFormatter f(0, 0);
    for (int i = 0; i < 11; ++i) f.indent();
    EXPECT_EQ(10, f.indentation());
    f.line("x");
    EXPECT_EQ(std::string(10, '\t') + "x", log.lines.back().text);
    for (int i = 0; i < 12; ++i) f.unindent();
    EXPECT_EQ(0, f.indentation());
}

TEST(SimpleLogFormatter, LongTextIsSplitAtNewlinesOrCutAtTheRoom) {
    LogCapture log;
    Dump::SimpleLogFormatter f(1, 1);
    std::string text;
    for (int i = 0; i < 400; ++i) text += std::string(99, static_cast<char>('a' + i % 26)) + "\n";
    ASSERT_EQ(40000u, text.size());
    f.indent();
    f.line(text);
    ASSERT_GT(log.lines.size(), 1u);
    std::string joined;
    for (const auto& l : log.lines) {
        ASSERT_LT(l.text.size(), Dump::SimpleLogFormatter::kBufferSize);
        ASSERT_EQ('\t', l.text.front());
        EXPECT_EQ('\n', l.text.back());
        joined += l.text.substr(1);
    }
    EXPECT_EQ(text, joined);

    // Without newlines it is cut at the room left.
    f.unindent();
    log.lines.clear();
    text.assign(40000, 'z');
    f.line(text);
    joined.clear();
    for (const auto& l : log.lines) {
        EXPECT_LE(l.text.size(), Dump::SimpleLogFormatter::kBufferSize - 1);
        joined += l.text;
    }
    EXPECT_EQ(text, joined);
    // A name too long for the line is cut, the value kept.
    log.lines.clear();
    f.write(text.c_str(), int32_t{12});
    ASSERT_EQ(1u, log.lines.size());
    EXPECT_EQ(Dump::SimpleLogFormatter::kBufferSize - 1, log.lines[0].text.size());
    EXPECT_EQ(" = 12", log.lines[0].text.substr(log.lines[0].text.size() - 5));
}

TEST(SimpleLogFormatterDeathTest, UnknownFacilityOrSeverity) {
    EXPECT_DEATH(Dump::SimpleLogFormatter(30, 0), "SimpleLogFormatter::set\\(\\) - unknown facility");
    EXPECT_DEATH(Dump::SimpleLogFormatter(0, 6), "SimpleLogFormatter::set\\(\\) - unknown severity");
}

TEST(LogSink, SeverityNames) {
    EXPECT_STREQ("err", Dump::severityName(0));
    EXPECT_STREQ("debug2", Dump::severityName(5));
    EXPECT_STREQ("???", Dump::severityName(6));
}

}  // namespace
