// SCP both ways through the session and through the SCP client itself.
#include "tester/TesterFixture.h"

#include "tester/ssh/ScpClient.h"

using namespace Kestrix::Tester;
namespace fs = std::filesystem;
using kx::test::TesterLinkTest;

TEST_F(TesterLinkTest, UploadAndDownloadAcrossSizesWithProgressUpToHundred) {
    auto& c = connect();
    const size_t MiB = 1 << 20;
    for (size_t size : {size_t(1), size_t(1000), MiB - 1, MiB, MiB + 1, size_t(3 * MiB + 12345)}) {
        SCOPED_TRACE(size);
        auto data = kx::test::randomBytes(size, static_cast<unsigned>(size));
        const std::string remote = "/tmp/f" + std::to_string(size) + ".bin";
        ASSERT_TRUE(c.WriteMemory(data, remote, nullptr));
        EXPECT_EQ(kx::test::readHostFile(hostPath(remote)), data);
        auto back = c.ReadMemory(remote);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, data);
    }
    // Transfers leave no channel behind: the shell still answers.
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
    // An upload reports its progress up to 100.
    std::vector<int> seen;
    auto data = kx::test::randomBytes(5 * (1 << 20), 11);
    ASSERT_TRUE(c.WriteMemory(data, "/tmp/progress.bin", [&](int p) { seen.push_back(p); }));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen.front(), 0);
    // Reads report nothing, and the callback of the finished upload is gone.
    seen.clear();
    ASSERT_TRUE(c.ReadMemory("/tmp/progress.bin", [&](int p) { seen.push_back(p); }));
    EXPECT_TRUE(seen.empty());
}

TEST_F(TesterLinkTest, ScpErrorsAreRemoteErrorsLoggedAndFailAndEmptyFilesTravel) {
    auto& c = connect();
    ScpClient scp;
    scp.bind(*c.client());
    try {
        scp.getFile("/tmp/missing");
        FAIL() << "no error";
    } catch (const SshError& e) {
        EXPECT_EQ(e.kind(), SshErrorKind::Remote);
        EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
    }
    EXPECT_THROW(scp.getFile("/tmp"), SshError);
    EXPECT_THROW(scp.putFile(kx::test::randomBytes(5, 1), "/nowhere/x"), SshError);
    EXPECT_THROW(scp.putFile(kx::test::randomBytes(5, 1), "/tmp/"), SshError);
    EXPECT_THROW(scp.putFile(kx::test::randomBytes(5, 1), "/tmp/a\nb"), SshError);
    // A file larger than the caller accepts is refused before its bytes are read.
    kx::test::writeBytes(hostPath("/tmp/big"), kx::test::randomBytes(5000, 9));
    scp.setMaxFileSize(4999);
    EXPECT_THROW(scp.getFile("/tmp/big"), SshError);
    scp.setMaxFileSize(5000);
    EXPECT_EQ(scp.getFile("/tmp/big").size(), 5000u);
    // Still connected after all of that.
    EXPECT_TRUE(c.client()->isConnected());
    ScpClient unbound;
    EXPECT_THROW(unbound.getFile("/tmp/big"), SshError);
    // Empty files travel through the SCP client.
    scp.putFile(std::vector<uint8_t>{}, "/tmp/empty");
    EXPECT_TRUE(fs::is_regular_file(hostPath("/tmp/empty")));
    EXPECT_EQ(fs::file_size(hostPath("/tmp/empty")), 0u);
    EXPECT_TRUE(scp.getFile("/tmp/empty").empty());
    // The session treats an empty file as nothing to move.
    EXPECT_FALSE(c.WriteMemory({}, "/tmp/empty2", nullptr));
    EXPECT_FALSE(c.ReadMemory("/tmp/empty"));

    // Through the session, transfer errors are logged and fail.
    kx::test::LogCapture log;
    EXPECT_FALSE(c.ReadMemory("/tmp/missing"));
    EXPECT_TRUE(log.has("SCP exception: "));
    EXPECT_TRUE(c.IsConnected());  // a refused file leaves the session up
    EXPECT_FALSE(c.WriteMemory(kx::test::randomBytes(10, 1), "/nowhere/x", nullptr));
    EXPECT_TRUE(log.has("SCP exception: "));
    // An upload error closes the session; the next check reconnects.
    EXPECT_FALSE(c.IsConnected());
    EXPECT_TRUE(c.CheckConnect());
    EXPECT_TRUE(c.WriteMemory(kx::test::randomBytes(10, 1), "/tmp/x", nullptr));
}

TEST_F(TesterLinkTest, GroupReadOfTenRefusalOfElevenAndAReconnection) {
    auto& c = connect();
    FileCopyGroup ten;
    for (int i = 0; i < 10; ++i) {
        const std::string p = "/microsd_userdata/projects/P/r" + std::to_string(i) + ".res";
        kx::test::writeBytes(hostPath(p), kx::test::randomBytes(20000 + i, static_cast<unsigned>(i)));
        ten.AddFile(p);
    }
    ASSERT_TRUE(c.ReadFileGroup(&ten));
    for (int i = 0; i < 10; ++i) {
        const auto& f = ten.files()[static_cast<size_t>(i)];
        EXPECT_TRUE(f.done);
        ASSERT_TRUE(f.data);
        EXPECT_EQ(*f.data, kx::test::randomBytes(20000 + static_cast<size_t>(i), static_cast<unsigned>(i)));
    }

    FileCopyGroup eleven;
    for (int i = 0; i < 11; ++i) eleven.AddFile("/microsd_userdata/projects/P/r" + std::to_string(i % 10) + ".res");
    sim->clearJournal();
    EXPECT_FALSE(c.ReadFileGroup(&eleven));
    EXPECT_TRUE(sim->journal().empty());
    for (const auto& f : eleven.files()) {
        EXPECT_FALSE(f.done);
        EXPECT_FALSE(f.data);
    }
    FileCopyGroup empty;
    EXPECT_FALSE(c.ReadFileGroup(&empty));
    EXPECT_FALSE(c.ReadFileGroup(nullptr));
    // A closed session is opened again for the group; a missing file is done without data.
    kx::test::writeBytes(hostPath("/var/log/kestrix.log"), kx::test::randomBytes(100, 1));
    c.Close();
    FileCopyGroup g;
    g.AddFile("/var/log/kestrix.err");
    g.AddFile("/var/log/kestrix.log");
    kx::test::LogCapture log;
    EXPECT_TRUE(c.ReadFileGroup(&g));
    EXPECT_TRUE(g.files()[0].done);
    EXPECT_FALSE(g.files()[0].data);
    ASSERT_TRUE(g.files()[1].data);
    EXPECT_EQ(g.files()[1].data->size(), 100u);
    EXPECT_TRUE(log.has("SCP exception: "));
}
