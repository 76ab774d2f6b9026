// The simulator's fault switches: dropped connections, delayed replies, missing prompts.
#include <gtest/gtest.h>

#include "tester/SimTestClient.h"

using kx::test::Client;
using kx::test::SimFixture;

namespace {

bool connectionGone(Client& c, ssh_channel ch) {
    char buf[256];
    for (int i = 0; i < 50; ++i) {
        const int n = ssh_channel_read_timeout(ch, buf, sizeof buf, 0, 100);
        if (n < 0 || ssh_channel_is_eof(ch) || !ssh_is_connected(c.session())) return true;
    }
    return false;
}

}  // namespace

TEST(SimFaults, DropAfterCommandsCutsTheNextCommandOnceOnly) {
    SimFixture f("dropcmd");
    Kestrix::Sim::SimFaults faults;
    faults.dropAfterCommands = 1;
    f.sim->setFaults(faults);
    {
        Client c(f.sim->port());
        ssh_channel ch = c.openShell(false);
        ASSERT_NE(ch, nullptr);
        Client::send(ch, "deferpowerdown\n");
        EXPECT_EQ(Client::readUntil(ch, "OK\n"), "OK\n");
        Client::send(ch, "sysinfo\n");
        EXPECT_TRUE(connectionGone(c, ch));
        ssh_channel_free(ch);
    }
    EXPECT_EQ(f.sim->journal(), (std::vector<std::string>{"deferpowerdown", "sysinfo"}));
    EXPECT_EQ(f.sim->faults().dropAfterCommands, -1);
    Client again(f.sim->port());
    EXPECT_EQ(again.exec("deferpowerdown").out, "OK\n");
}

TEST(SimFaults, DropAfterScpBytesCutsADownloadAndAnUpload) {
    SimFixture f("dropbytes");
    const std::string data = kx::test::randomBytes(1 << 20);
    kx::test::writeFile(f.root / "tmp" / "big", data);
    Kestrix::Sim::SimFaults faults;
    faults.dropAfterScpBytes = 300000;
    f.sim->setFaults(faults);
    {
        Client c(f.sim->port());
        const auto got = c.get("/tmp/big");
        EXPECT_FALSE(got.ok);
        EXPECT_FALSE(ssh_is_connected(c.session()));
    }
    f.sim->setFaults(faults);
    {
        Client c(f.sim->port());
        const auto put = c.put("/tmp/up", data);
        EXPECT_FALSE(put.ok);
    }
    EXPECT_LE(kx::test::readFile(f.root / "tmp" / "up").size(), 300000u);
    Client again(f.sim->port());
    const auto got = again.get("/tmp/big");
    ASSERT_TRUE(got.ok) << got.error;
    EXPECT_EQ(got.data, data);
}

TEST(SimFaults, DelayedReplyIsNeverEarly) {
    SimFixture f("delay");
    Kestrix::Sim::SimFaults faults;
    faults.replyDelayMs = 700;
    f.sim->setFaults(faults);
    Client c(f.sim->port());
    ssh_channel ch = c.openShell(false);
    ASSERT_NE(ch, nullptr);
    Client::send(ch, "deferpowerdown\n");
    EXPECT_EQ(Client::readFor(ch, 100), "");
    EXPECT_EQ(Client::readUntil(ch, "OK\n"), "OK\n");
    ssh_channel_free(ch);
}

TEST(SimFaults, NoPromptLeavesOnlyTheOutput) {
    Kestrix::Sim::SimOptions o;
    o.faults.noPrompt = true;
    SimFixture f("noprompt", o);
    Client c(f.sim->port());
    ssh_channel ch = c.openShell(true);
    ASSERT_NE(ch, nullptr);
    const std::string banner = Client::readUntil(ch, "commands.\r\n\r\n");
    EXPECT_NE(banner.find("BusyBox"), std::string::npos);
    Client::send(ch, "deferpowerdown\n");
    EXPECT_EQ(Client::readUntil(ch, "OK\r\n"), "deferpowerdown\r\nOK\r\n");
    EXPECT_EQ(Client::readFor(ch, 200), "");
    ssh_channel_free(ch);
}

TEST(SimFaults, StopEndsOpenConnections) {
    SimFixture f("stop");
    Client c(f.sim->port());
    ssh_channel ch = c.openShell(true);
    ASSERT_NE(ch, nullptr);
    EXPECT_EQ(f.sim->openConnections(), 1);
    f.sim->stop();
    EXPECT_TRUE(connectionGone(c, ch));
    EXPECT_EQ(f.sim->openConnections(), 0);
    ssh_channel_free(ch);
}
