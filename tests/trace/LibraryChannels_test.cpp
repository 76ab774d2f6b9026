#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "serialization/LogSink.h"
#include "trace/LibraryChannels.h"
#include "trace/TraceBuffer.h"

using Kestrix::TraceBuffer;

namespace {
// What a library area does: trace a warning on its channel, nothing while it has none.
void libraryWarns(const char* text) {
    const int32_t id = Kestrix::libraryChannel("project");
    if (id == TraceBuffer::kNoChannel) return;
    TraceBuffer::instance().trace(id, Kestrix::TraceLevel::warning, "%s", text);
}

struct Sink {
    std::vector<std::string> lines;
    Sink() {
        Dump::setLogSink([this](int32_t, int32_t, const std::string& line) { lines.push_back(line); });
    }
    ~Sink() { Dump::setLogSink(nullptr); }
    bool has(const std::string& text) const {
        for (const auto& l : lines)
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
};

// Runs in a fresh process so that the process-wide table starts untouched.
void hostCreatesItsChannelsThenLocks() {
    Sink sink;
    TraceBuffer& tb = TraceBuffer::instance();
    const int32_t host = tb.createChannel("host", Kestrix::TraceLevel::info);
    const bool openBefore = !tb.locked();
    tb.lock();
    libraryWarns("from the library");
    const int32_t wiremap = Kestrix::libraryChannel("Wiremap::");
    const int32_t project = Kestrix::libraryChannel("project");
    const bool ok = host == 0 && openBefore && sink.has("TE: project | WARN ") && sink.has("from the library") &&
                    wiremap > 0 && project > 0 && wiremap != project &&
                    Kestrix::libraryChannel("not a library channel") == TraceBuffer::kNoChannel;
    std::exit(ok ? 0 : 1);
}

}  // namespace

TEST(LibraryChannels, HostChannelsFirstThenLockKeepsLibraryTraces) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(hostCreatesItsChannelsThenLocks(), testing::ExitedWithCode(0), "");
}
