#include <gtest/gtest.h>

#include <cstdlib>

#include "trace/LibraryChannels.h"
#include "trace/TraceBuffer.h"

namespace {
// Runs in a fresh process so the process-wide table starts untouched.
void everyAreaGetsItsChannel() {
    const int32_t wiremap = Kestrix::libraryChannel("Wiremap::");
    const int32_t project = Kestrix::libraryChannel("project");
    const bool ok = wiremap >= 0 && project >= 0 && wiremap != project &&
                    Kestrix::TraceBuffer::instance().locked() &&
                    Kestrix::libraryChannel("not a library channel") == Kestrix::TraceBuffer::kNoChannel;
    std::exit(ok ? 0 : 1);
}
}  // namespace

TEST(LibraryChannels, AreRegisteredTogetherWhicheverAreaTracesFirst) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(everyAreaGetsItsChannel(), testing::ExitedWithCode(0), "");
}
