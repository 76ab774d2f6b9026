#include "trace/LibraryChannels.h"
#include "trace/TraceBuffer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "core/TestBytes.h"
#include "serialization/LogSink.h"
#include "serialization/SimpleFormatter.h"

namespace {

using Kestrix::TraceBuffer;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
namespace Level = Kestrix::TraceLevel;

struct LogCapture {
    std::vector<std::pair<int32_t, std::string>> lines;  // severity, text
    int32_t facility = -1;
    LogCapture() {
        Dump::setLogSink([this](int32_t f, int32_t s, const std::string& t) {
            facility = f;
            lines.emplace_back(s, t);
        });
    }
    ~LogCapture() { Dump::setLogSink(nullptr); }
};

const Kestrix::StringEntry& text(const std::shared_ptr<const Kestrix::TraceEntry>& e) {
    return static_cast<const Kestrix::StringEntry&>(*e);
}

TEST(ChannelTable, GoldenChannelBytesAndDump) {
    Kestrix::ChannelTable t;
    t.channels.emplace_back("io", Level::error | Level::warning);
    const std::vector<uint8_t> expect = {0xCD, 0xAB, 0x01, 0x01, 0x91, 0x00, 0x01, 0x00, 0x0D, 0x00, 0x00, 0x00, 0x01,
                                         0x00, 0x03, 0x00, 0x00, 0x00, 0x69, 0x6F, 0x00, 0x05, 0x00, 0x00, 0x00};
    EXPECT_EQ(expect, kx::test::bytesOf(t));

    // Reading it back is in the framed objects' table.
    Kestrix::ChannelTable back;
    std::vector<uint8_t> noNul = expect;
    noNul[20] = 'x';
    EXPECT_EQ(Marshal::invalidData, kx::test::readInto(back, noNul));
    std::vector<uint8_t> evil = expect;
    evil[14] = 0xFF;
    evil[17] = 0x7F;  // name length 0x7F0000FF
    EXPECT_EQ(Marshal::readError, kx::test::readInto(back, evil));

    t.channels.emplace_back("copper", Level::info | Level::debug | Level::debug2);
    std::ostringstream out;
    Dump::SimpleFormatter f(&out);
    t.dumpTable(f);
    EXPECT_EQ(
        "ChannelTable\n"
        "              0       1       2       3       4       5\n"
        "              err     info    warn    debug   debug1  debug2\n"
        " 0 io         1       0       1       0       0       0      \n"
        " 1 copper     1       1       0       1       0       1      \n",
        out.str());
}

// A buffer whose one channel "io" takes info, locked.
class IoChannel : public ::testing::Test {
protected:
    IoChannel() { tb.lock(); }
    TraceBuffer tb;
    const int32_t ch = tb.createChannel("io", Level::info);
};

TEST_F(IoChannel, RingKeepsTheNewestCutsLongMessagesAndCountsDelimiters) {
    for (int i = 0; i < 150; ++i) tb.trace(ch, Level::info, "message %d", i);
    auto entries = tb.entries();
    ASSERT_EQ(100u, entries.size());
    EXPECT_EQ("message 50", text(entries.front()).text);
    EXPECT_EQ("message 149", text(entries.back()).text);

    tb.setMaxLength(10);
    entries = tb.entries();
    ASSERT_EQ(10u, entries.size());
    EXPECT_EQ("message 140", text(entries.front()).text);
    // Messages are cut at 500 characters.
    tb.trace(ch, Level::info, "%s", std::string(900, 'm').c_str());
    EXPECT_EQ(500u, text(tb.entries().back()).text.size());
    tb.setMaxLength(0);
    tb.trace(ch, Level::info, "dropped");
    EXPECT_EQ(0u, tb.size());
    tb.setMaxLength(-3);
    EXPECT_EQ(0, tb.maxLength());

    // The delimiter count follows the dropped entries.
    tb.setMaxLength(3);
    tb.traceObject(ch, Level::info, "d1", nullptr, true);
    tb.traceObject(ch, Level::info, "d2", nullptr, true);
    tb.trace(ch, Level::info, "s");
    EXPECT_EQ(2, tb.delimiterCount());
    tb.trace(ch, Level::info, "s");
    EXPECT_EQ(1, tb.delimiterCount());
    tb.setMaxLength(1);
    EXPECT_EQ(0, tb.delimiterCount());
}

struct Probe : Dump::IDumpable {
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override {
        f.line("Probe");
        f.indent();
        f.write("detail", flags.detail);
        f.unindent();
    }
};

TEST_F(IoChannel, FlushWritesEveryEntryAndClears) {
    ASSERT_TRUE(tb.setLoggerFacility(7));
    EXPECT_FALSE(tb.setLoggerFacility(30));
    tb.trace(ch, Level::info, "hello %s", "there");
    tb.traceObject(ch, Level::info, "state", std::make_shared<Probe>());
    tb.traceObject(ch, Level::error, "mark", nullptr, true);
    EXPECT_EQ(1, tb.delimiterCount());

    LogCapture log;
    tb.flush(true, true);
    EXPECT_EQ(7, log.facility);
    EXPECT_EQ(0u, tb.size());
    EXPECT_EQ(0, tb.delimiterCount());
    std::vector<std::string> texts;
    for (const auto& [sev, t] : log.lines) {
        EXPECT_EQ(0, sev);
        texts.push_back(t);
    }
    ASSERT_EQ(11u, texts.size());
    EXPECT_EQ("Critical Error: trace buffer dump - begin", texts[0]);
    EXPECT_THAT(texts[1], MatchesRegex(R"(TE: io \| INFO  \| [0-9]+\.[0-9]{6}s \| \| hello there)"));
    EXPECT_THAT(texts[2], MatchesRegex(R"(\| INFO    state TE: [0-9]+\.[0-9]{6}s)"));
    EXPECT_EQ(" | io | TraceBuffer::flush() - Start of object", texts[3]);
    EXPECT_EQ("Probe", texts[4]);
    EXPECT_EQ("\tdetail = 2", texts[5]);
    EXPECT_EQ(" | io | TraceBuffer::flush() - End of object", texts[6]);
    EXPECT_THAT(texts[7], MatchesRegex(R"(\| ERROR   mark TE: .*)"));
    EXPECT_EQ("Critical Error: trace buffer dump - end", texts[10]);

    // Not critical: severity warning, no begin/end lines; without clearing the entries stay.
    tb.trace(ch, Level::info, "again");
    log.lines.clear();
    tb.flush(false, false);
    ASSERT_EQ(1u, log.lines.size());
    EXPECT_EQ(1, log.lines[0].first);
    EXPECT_EQ(1u, tb.size());
}

// The mask filters levels, but errors always pass.
TEST(TraceBuffer, MaskFiltersLevelsErrorsAndWarningsAlsoGoToTheLogAndConsole) {
    TraceBuffer tb;
    const int32_t quiet = tb.createChannel("quiet", 0);
    const int32_t all = tb.createChannel("all", 0x3F);
    const int32_t ch = tb.createChannel("net", Level::warning | Level::info);
    tb.lock();
    EXPECT_TRUE(tb.locked());
    for (uint32_t level : {Level::error, Level::info, Level::warning, Level::debug, Level::debug1, Level::debug2}) {
        tb.trace(quiet, level, "q");
        tb.trace(all, level, "a");
    }
    const auto entries = tb.entries();
    ASSERT_EQ(7u, entries.size());
    EXPECT_EQ(quiet, entries[0]->channel);
    EXPECT_EQ(Level::error, entries[0]->level);
    EXPECT_EQ("a", text(entries[1]).text);

    LogCapture log;
    tb.trace(ch, Level::info, "quiet");
    tb.trace(ch, Level::warning, "careful");
    tb.trace(ch, Level::error, "broken");
    ASSERT_EQ(2u, log.lines.size());
    EXPECT_EQ(1, log.lines[0].first);
    EXPECT_THAT(log.lines[0].second, MatchesRegex(R"(TE: net \| WARN  \| .* \| \| careful)"));
    EXPECT_EQ(0, log.lines[1].first);

    tb.setConsoleTracing();
    ::testing::internal::CaptureStdout();
    tb.trace(ch, Level::info, "shown");
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_THAT(out, MatchesRegex(R"(TE: net \| INFO  \| [0-9]+\.[0-9]{6}s \| \| shown
)"));
}

// The process-wide buffer is traced from every thread while the host flushes it: no entry is lost or
// doubled, and each thread's entries stay in its order.
TEST_F(IoChannel, ThreadsTraceWhileTheHostFlushes) {
    tb.setMaxLength(1000);
    LogCapture log;  // errors are logged as traced (err), flushed entries as warnings
    constexpr int kThreads = 4;
    constexpr int kEntries = 200;
    std::atomic<bool> tracing{true};
    std::thread flusher([&] {
        while (tracing) tb.flush(false, true);
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < kEntries; ++i) tb.trace(ch, i % 2 ? Level::error : Level::info, "%d %d", t, i);
        });
    for (auto& t : threads) t.join();
    tracing = false;
    flusher.join();
    tb.flush(false, true);

    std::vector<int> traced(kThreads, 0);
    std::vector<int> flushed(kThreads, 0);
    for (const auto& [severity, line] : log.lines) {
        int t = -1;
        int i = -1;
        ASSERT_EQ(2, std::sscanf(line.substr(line.rfind("| ") + 2).c_str(), "%d %d", &t, &i)) << line;
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        if (severity == 0) {
            EXPECT_EQ(1, i % 2) << line;
            ++traced[t];
        } else {
            EXPECT_EQ(flushed[t]++, i) << line;
        }
    }
    EXPECT_EQ(traced, std::vector<int>(kThreads, kEntries / 2));
    EXPECT_EQ(flushed, std::vector<int>(kThreads, kEntries));
}

TEST(TraceBuffer, LockAddsTheLibraryChannelsAfterTheHostsOnes) {
    TraceBuffer tb(true);
    EXPECT_EQ(0, tb.createChannel("host", 0));
    EXPECT_EQ(1, tb.createChannel("project", Level::debug));  // a host channel of a library name is shared
    EXPECT_EQ(TraceBuffer::kNoChannel, tb.findChannel("Wiremap::"));
    tb.lock();
    const Kestrix::ChannelTable table = tb.channelTable();
    ASSERT_EQ(table.channels.size(), 2 + Kestrix::libraryChannelNames().size() - 1);
    EXPECT_EQ(table.channels[2].name, "Wiremap::");
    EXPECT_EQ(table.channels[2].mask, Level::error | Level::info | Level::warning);
    EXPECT_EQ(1, tb.findChannel("project"));
    tb.lock();
    EXPECT_EQ(tb.channelTable().channels.size(), table.channels.size());

    // A buffer made for a test holds only what it is given.
    TraceBuffer plain;
    plain.lock();
    EXPECT_TRUE(plain.channelTable().channels.empty());
}

TEST(TraceBufferDeathTest, Misuse) {
    TraceBuffer open;
    open.createChannel("a", 0);
    TraceBuffer locked;
    locked.lock();
    EXPECT_DEATH(open.trace(0, Level::error, "x"), "Assertion failed at trace\\\\TraceBuffer:[0-9]+ _chanTableLocked");
    EXPECT_DEATH(locked.createChannel("a", 0), "!_chanTableLocked");
    EXPECT_DEATH(open.createChannel(nullptr, 0), " name");
    EXPECT_DEATH(locked.trace(3, Level::error, "x"), "channel");
}

}  // namespace
