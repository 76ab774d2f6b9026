// A tester that never stops talking, stops listening, or drips: every call still ends within its time-out
// and its byte caps, and the session recovers once the tester behaves again.
#include "tester/TesterFixture.h"

#include <chrono>

#include "tester/ssh/ScpPipeline.h"

using namespace Kestrix::Tester;
using kx::test::TesterLinkTest;

namespace {

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

}  // namespace

TEST_F(TesterLinkTest, ADollarStreamWithoutNewlineEndsWithTheTimeout) {
    auto& c = connect();
    c.SetTimeout(300);
    sim->setFaults(faults([](auto& f) { f.dollarStream = true; }));
    const auto start = Clock::now();
    // Every "$" looks like a prompt in mid-line until more text follows, and more keeps following. (On a
    // busy machine a pause in the stream may pass for the end of a reply: that is all it can be taken for.)
    auto reply = c.SendTvixCmd("echo never");
    if (reply) {
        EXPECT_EQ(reply->find_first_not_of("x$"), std::string::npos) << *reply;
    }
    // Two attempts and one resynchronisation, each bounded by the 300 ms.
    EXPECT_LT(msSince(start), 3000);
    c.Close();
    sim->setFaults({});
    ASSERT_TRUE(c.CheckConnect());
    EXPECT_EQ(c.SendTvixCmd("echo back"), std::string("back\n"));
}

TEST_F(TesterLinkTest, AnEndlessReplyIsCutAtTheCap) {
    auto& c = connect();
    // A generous time-out: only the size cap can end the reply.
    c.SetTimeout(60000);
    c.setMaxReplyBytes(1 << 20);
    sim->setFaults(faults([](auto& f) { f.endlessReply = true; }));
    const auto start = Clock::now();
    EXPECT_FALSE(c.SendTvixCmd("cat /dev/zero"));
    EXPECT_LT(msSince(start), 20000);
    // The shell could not be brought back in step while the stream went on.
    EXPECT_FALSE(c.IsConnected());
    sim->setFaults({});
    ASSERT_TRUE(c.CheckConnect());
    EXPECT_EQ(c.SendTvixCmd("echo back"), std::string("back\n"));
}

TEST_F(TesterLinkTest, AWriteTimeOutResynchronisesBeforeTheNextCommand) {
    auto& c = connect();
    c.SetTimeout(300);
    sim->setFaults(faults([](auto& f) { f.stallShellInput = true; }));
    // Far more than the channel window: the write stalls part way through the line.
    EXPECT_FALSE(c.SendTvixCmd("echo " + std::string(4 << 20, 'a')));
    sim->setFaults({});
    c.SetTimeout(3000);
    // The partial line is cancelled first instead of being completed by the next command.
    EXPECT_EQ(c.SendTvixCmd("echo next"), std::string("next\n"));
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
}

TEST_F(TesterLinkTest, RepeatedTimeLinesAreRefused) {
    auto& c = connect();
    kx::test::writeBytes(hostPath("/tmp/t.bin"), kx::test::randomBytes(1000, 3));
    sim->setFaults(faults([](auto& f) { f.repeatTimeLines = true; }));
    kx::test::LogCapture log;
    const auto start = Clock::now();
    EXPECT_FALSE(c.ReadMemory("/tmp/t.bin"));
    EXPECT_LT(msSince(start), 3000);
    EXPECT_TRUE(log.has("SCP exception: "));
    sim->setFaults({});
    auto back = c.ReadMemory("/tmp/t.bin");
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == kx::test::randomBytes(1000, 3));
}

TEST_F(TesterLinkTest, ASlowDripCannotStretchATransfer) {
    kx::test::writeBytes(hostPath("/tmp/drip.bin"), kx::test::randomBytes(2000, 4));
    SshClient client;
    client.connect(sim->address());
    ASSERT_TRUE(client.login("tvuser", kServicePassword));
    ScpClient scp;
    scp.bind(client);
    // Each byte comes well within the time-out; at 20 ms a byte the whole file would take 40 s.
    scp.setTimeout(300);
    sim->setFaults(faults([](auto& f) { f.scpDripMs = 20; }));
    const auto start = Clock::now();
    try {
        scp.getFile("/tmp/drip.bin");
        ADD_FAILURE() << "a dripping transfer completed";
    } catch (const SshError& e) {
        EXPECT_EQ(e.kind(), SshErrorKind::Timeout) << e.what();
    }
    EXPECT_LT(msSince(start), 3000);
    sim->setFaults({});
    client.disconnect();
    client.connect(sim->address());
    ASSERT_TRUE(client.login("tvuser", kServicePassword));
    scp.bind(client);
    EXPECT_EQ(scp.getFile("/tmp/drip.bin"), kx::test::randomBytes(2000, 4));
}

TEST_F(TesterLinkTest, DownloadsAreCappedByPurposeAndByGroupAlsoInOneTransfer) {
    auto& c = connect();
    DownloadLimits limits;
    limits.database = 4000;
    limits.resultFile = 3000;
    limits.log = 2000;
    limits.screenImage = 1000;
    limits.group = 7000;
    c.setDownloadLimits(limits);
    for (int i = 0; i < 4; ++i)
        kx::test::writeBytes(hostPath("/tmp/f" + std::to_string(i)), kx::test::randomBytes(2500, 10u + unsigned(i)));
    kx::test::writeBytes(hostPath("/tmp/big"), kx::test::randomBytes(4001, 9));
    kx::test::LogCapture log;
    EXPECT_TRUE(c.ReadMemory("/tmp/f0", DownloadKind::Database));
    EXPECT_FALSE(c.ReadMemory("/tmp/big", DownloadKind::Database));
    EXPECT_TRUE(log.has("SCP exception: scp: /tmp/big is larger than 4000 bytes"));
    EXPECT_FALSE(c.ReadMemory("/tmp/f0", DownloadKind::Log));
    EXPECT_FALSE(c.ReadMemory("/tmp/f0", DownloadKind::ScreenImage));
    // A result file fits alone; the group's total lets two of them through and refuses the rest.
    FileCopyGroup g;
    for (int i = 0; i < 4; ++i) g.AddFile("/tmp/f" + std::to_string(i));
    EXPECT_TRUE(c.ReadFileGroup(&g));
    EXPECT_TRUE(g.files()[0].data);
    EXPECT_TRUE(g.files()[1].data);
    EXPECT_FALSE(g.files()[2].data);
    EXPECT_FALSE(g.files()[3].data);
    // A refused size costs no reconnection: the session goes on.
    EXPECT_TRUE(c.IsConnected());
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));

    // A batch in one transfer is bounded like one file.
    SshClient client;
    client.connect(sim->address());
    ASSERT_TRUE(client.login("tvuser", kServicePassword));
    const auto batch = [](std::vector<std::string> paths) {
        std::vector<PipelinedFile> files;
        for (auto& p : paths) files.push_back({p, boost::none, {}, false});
        return files;
    };
    PipelineLimits pipeline;
    pipeline.timeoutMs = 2000;
    pipeline.maxFileSize = 4000;
    pipeline.groupBudget = 7600;
    // A file over the cap is refused before it is read, and the files after it still come; the group's
    // budget lets three of 2500 bytes through.
    auto files = batch({"/tmp/f0", "/tmp/big", "/tmp/f1", "/tmp/f2", "/tmp/f3"});
    getFilesInOneTransfer(client, files, pipeline);
    const auto arrived = [&](size_t i, unsigned seed) {
        return files[i].data && *files[i].data == kx::test::randomBytes(2500, seed);
    };
    EXPECT_TRUE(arrived(0, 10));
    EXPECT_FALSE(files[1].data);
    EXPECT_EQ(files[1].error, "scp: /tmp/big is larger than 4000 bytes");
    EXPECT_TRUE(arrived(2, 11));
    EXPECT_TRUE(arrived(3, 12));
    EXPECT_FALSE(files[4].data);
    EXPECT_NE(files[4].error.find("bytes left for this group"), std::string::npos) << files[4].error;

    // Each byte well within the time-out, but the file far below the slowest rate: the transfer ends.
    pipeline.timeoutMs = 300;
    pipeline.groupBudget = 1 << 20;
    sim->setFaults(faults([](auto& f) { f.scpDripMs = 20; }));
    auto dripping = batch({"/tmp/f0"});
    const auto start = Clock::now();
    getFilesInOneTransfer(client, dripping, pipeline);
    EXPECT_FALSE(dripping[0].data);
    EXPECT_FALSE(dripping[0].error.empty());
    EXPECT_LT(msSince(start), 10000);
    sim->setFaults({});
}
