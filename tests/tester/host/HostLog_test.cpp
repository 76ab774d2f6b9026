
#include <stdexcept>
#include <thread>

#include "tester/TesterFixture.h"
#include "tester/session/FileCopyGroup.h"

using namespace Kestrix::Tester;
using kx::test::LogCapture;

TEST(HostLog, ContextsArePairedAlsoWhenAnOperationThrows) {
    LogCapture log;
    ASSERT_EQ(Log::depth(), 0u);
    try {
        LogContext outer("Reading batch of records");
        Log::AddContextDetail("a.res", "File");
        LogContext inner("Connecting");
        Log::ErrMsg("Failed to connect", fillIn("IP Address={0}", "169.254.222.2"));
        throw std::runtime_error("boom");
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, "OpenCurrentTester");
    }
    EXPECT_EQ(Log::depth(), 0u);
    ASSERT_FALSE(log.records.empty());
    const LogRecord* err = nullptr;
    for (const auto& r : log.records)
        if (r.level == LogLevel::Error && r.text.rfind("Failed", 0) == 0) err = &r;
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(err->context, "Reading batch of records [File=a.res] > Connecting");
    EXPECT_EQ(err->text, "Failed to connect (IP Address=169.254.222.2)");
    EXPECT_EQ(log.records.back().text, "OpenCurrentTester: boom");
    EXPECT_EQ(log.records.back().context, "");
    // An unpaired EndContext is harmless.
    Log::EndContext();
    EXPECT_EQ(Log::depth(), 0u);
    // A detail is filled in once, whatever it holds.
    EXPECT_EQ(fillIn("DestinationFile={0}", "/tmp/x"), "DestinationFile=/tmp/x");
    EXPECT_EQ(fillIn("{0}{0}", "{0}"), "{0}{0}");
    EXPECT_EQ(fillIn("none", "x"), "none");
}

// The import's writer threads log beside the session's thread: each line keeps its own thread's context, and
// the sink, which takes no lock of its own, gets every line whole.
TEST(HostLog, ThreadsLogSideBySideEachInItsOwnContext) {
    LogCapture log;
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            LogContext context("writer " + std::to_string(t));
            for (int i = 0; i < kLines; ++i) Log::ErrMsg(std::to_string(t) + ":" + std::to_string(i));
        });
    for (auto& t : threads) t.join();
    std::vector<int> next(kThreads, 0);
    for (const auto& r : log.records) {
        if (r.level != LogLevel::Error) continue;
        const int t = std::stoi(r.text);
        ASSERT_EQ(r.context, "writer " + std::to_string(t));
        EXPECT_EQ(r.text, std::to_string(t) + ":" + std::to_string(next[t]++));
    }
    EXPECT_EQ(next, std::vector<int>(kThreads, kLines));
}

TEST(HostLog, DisplayLaterQueuesUntilTaken) {
    LogCapture log;
    Err::TakePending();
    Err::DisplayLater(21, 3, "Lumetra KX1", "Lost Connection to tester");
    Err::DisplayInternalErrorLater("Summary Count zero");
    auto pending = Err::TakePending();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].errorId, 21);
    EXPECT_EQ(pending[0].severity, 3);
    EXPECT_EQ(pending[0].subject, "Lumetra KX1");
    EXPECT_TRUE(pending[1].internal);
    EXPECT_EQ(pending[1].severity, 1);
    EXPECT_TRUE(Err::TakePending().empty());
    // A host that never collects keeps a bounded queue.
    for (int i = 0; i < 1000; ++i) Err::DisplayInternalErrorLater("x");
    EXPECT_LE(Err::TakePending().size(), 256u);
}

TEST(FileCopyGroup, FinishedWhenEveryEntryIsDone) {
    FileCopyGroup g;
    EXPECT_TRUE(g.GroupFinished());
    g.AddFile("/a");
    g.AddFile("/b");
    EXPECT_FALSE(g.GroupFinished());
    EXPECT_FALSE(g.files()[0].data);
    g.files()[0].done = true;
    EXPECT_FALSE(g.GroupFinished());
    g.files()[1].done = true;
    EXPECT_TRUE(g.GroupFinished());
}

TEST(UploadKeys, OneListPerFolderInFirstSeenOrder) {
    KestrixCom com;
    com.AddUploadKey("P1", 5);
    com.AddUploadKey("P2", 7);
    com.AddUploadKey("P1", 6);
    ASSERT_EQ(com.uploadKeys().size(), 2u);
    EXPECT_EQ(com.uploadKeys()[0].Folder(), "P1");
    EXPECT_EQ(com.uploadKeys()[0].GetKeys(), (std::vector<int64_t>{5, 6}));
    EXPECT_EQ(com.uploadKeys()[1].GetKeys(), (std::vector<int64_t>{7}));
}

TEST(UploadProgress, PercentOfTheUploadInProgressOnly) {
    std::vector<int> seen;
    UploadProgress::begin(1000, [&](int p) { seen.push_back(p); });
    UploadProgress::onTransfer(5, false);     // 0.5 % truncates to 0: not reported
    UploadProgress::onTransfer(333, false);   // 33
    UploadProgress::onTransfer(1000, false);  // 100
    UploadProgress::onTransfer(1000, true);   // finished: resets, nothing reported
    UploadProgress::onTransfer(1000, false);
    EXPECT_EQ(seen, (std::vector<int>{33, 100}));
    UploadProgress::begin(0, nullptr);
}

TEST(HostLog, TesterTextReachesTheSinkWithoutControlCharacters) {
    LogCapture log;
    {
        LogContext context("Reading \x1b[31mred\x1b[0m");
        Log::ErrMsg("SCP exception: scp: /tmp/x\x1b]0;owned\x07: No such file\r\n", "SourceFile=/tmp/\x1b[2Jx");
    }
    ASSERT_FALSE(log.records.empty());
    const LogRecord& r = log.records.back();
    // Each control character is one "?": what is left of an escape sequence is harmless text.
    EXPECT_EQ(r.text, "SCP exception: scp: /tmp/x?]0;owned?: No such file?? (SourceFile=/tmp/?[2Jx)");
    EXPECT_EQ(r.context, "Reading ?[31mred?[0m");
}
