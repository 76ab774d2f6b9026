// Time-outs, dropped connections and refused logins.
#include "tester/TesterFixture.h"

#include <map>

using namespace Kestrix::Tester;
namespace fs = std::filesystem;
using kx::test::TesterLinkTest;

TEST_F(TesterLinkTest, NoAnswerToPingOrARefusedLoginIsNoConnection) {
    KestrixCom c;
    c.setPingFactory([] { return makeFunctionPinger([](const std::string&, int) { return false; }); });
    EXPECT_FALSE(c.KestrixConnect(simInfo()));
    EXPECT_EQ(sim->openConnections(), 0);
    EXPECT_FALSE(c.OpenCurrentTester());
    KestrixCom none;
    EXPECT_FALSE(none.OpenCurrentTester());  // no current tester

    sim->setFaults(faults([](auto& f) { f.refuseLogin = true; }));
    kx::test::LogCapture log;
    c.setPingFactory(kx::test::loopbackPing());
    EXPECT_FALSE(c.KestrixConnect(simInfo()));
    EXPECT_FALSE(c.IsConnected());
    EXPECT_TRUE(log.has("Failed to connect (IP Address=" + sim->address() + ")"));
    EXPECT_FALSE(c.SendTvixCmd("deferpowerdown"));
    EXPECT_EQ(Log::depth(), 0u);
    // A wrong password is refused the same way.
    sim->setFaults({});
    KestrixCom wrong("abcd12");
    wrong.setPingFactory(kx::test::loopbackPing());
    EXPECT_FALSE(wrong.KestrixConnect(simInfo()));
}

// The shell cannot be trusted any more: the session is closed, and made again only when asked.
TEST_F(TesterLinkTest, AMissingPromptOrADroppedConnectionClosesTheSession) {
    auto& c = connect();
    c.SetTimeout(300);
    for (const auto& fault :
         {faults([](auto& f) { f.noPrompt = true; }), faults([](auto& f) { f.dropAfterCommands = 0; })}) {
        sim->setFaults(fault);
        kx::test::LogCapture log;
        EXPECT_FALSE(c.SendTvixCmd("deferpowerdown"));
        EXPECT_TRUE(log.has("SendTvixCmd: "));
        EXPECT_FALSE(c.IsConnected());
        EXPECT_FALSE(c.SendTvixCmd("deferpowerdown"));
        sim->setFaults({});
        ASSERT_TRUE(c.CheckConnect());
        EXPECT_EQ(c.SendTvixCmd("deferpowerdown"), std::string("OK\n"));
    }
}

TEST_F(TesterLinkTest, LateRepliesAreNotTakenForLaterOnesAndSlowOnesWithinTheTimeoutArrive) {
    auto& c = connect();
    c.SetTimeout(200);
    sim->setFaults(faults([](auto& f) { f.replyDelayMs = 300; }));
    EXPECT_FALSE(c.SendTvixCmd("echo first"));
    ASSERT_TRUE(c.CheckConnect());
    c.SetTimeout(3000);
    // Whatever of "first" is still under way never shows up as the reply of another command.
    EXPECT_EQ(c.SendTvixCmd("echo second"), std::string("second\n"));
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
    sim->setFaults({});
    EXPECT_EQ(c.SendTvixCmd("echo third"), std::string("third\n"));
}

TEST_F(TesterLinkTest, ACommandThatChangesTheTesterIsNeverTypedAgain) {
    auto& c = connect();
    // Replies the session cannot take (longer than its cap) count as lost; the shell stays in step.
    c.setMaxReplyBytes(16);
    const std::string longReply = std::string(100, 'x') + "\n";
    const std::vector<std::string> changing{"swupdate --terse", "smimportproject -i \"/tmp/p.sql\"",
                                            "smimportlabels -r -f \"/tmp/a.ids\"", "smrmlabels -f \"a.ids\"",
                                            "rm \"/tmp/x\""};
    for (const auto& cmd : changing) {
        sim->setReply(cmd, longReply);
        // The lost reply may follow a command that ran: it is typed once only.
        EXPECT_FALSE(c.SendTvixCmdQuick(cmd)) << cmd;
    }
    // A question is asked again.
    sim->setReply("echo question", longReply);
    EXPECT_FALSE(c.SendTvixCmd("echo question"));
    c.setMaxReplyBytes(0);
    EXPECT_EQ(c.SendTvixCmd("echo settled"), std::string("settled\n"));
    std::map<std::string, int> sent;
    for (const auto& line : sim->journal()) ++sent[line];
    for (const auto& cmd : changing) EXPECT_EQ(sent[cmd], 1) << cmd;
    EXPECT_EQ(sent["echo question"], 2);
}

TEST_F(TesterLinkTest, ProbeNoticesADroppedConnection) {
    auto& c = connect();
    // The tester goes away and comes back on the same port: only a probe can tell.
    const uint16_t port = sim->port();
    sim->stop();
    Kestrix::Sim::SimOptions o = sim->options();
    o.port = port;
    sim = std::make_unique<Kestrix::Sim::TesterSim>(o);
    sim->start();
    EXPECT_TRUE(c.IsConnected());
    EXPECT_TRUE(c.CheckConnect(true));
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
    EXPECT_EQ(sim->openConnections(), 1);
    // Stopping ends the connections the simulator holds.
    sim->stop();
    EXPECT_EQ(sim->openConnections(), 0);
    EXPECT_FALSE(c.CheckConnect(true));
    EXPECT_FALSE(c.IsConnected());
}

TEST_F(TesterLinkTest, ConnectionDroppedDuringAnUpload) {
    auto& c = connect();
    sim->setFaults(faults([](auto& f) { f.dropAfterScpBytes = 1 << 20; }));
    kx::test::LogCapture log;
    auto data = kx::test::randomBytes(3 << 20, 5);
    EXPECT_FALSE(c.WriteMemory(data, "/tmp/up.bin", nullptr));
    EXPECT_TRUE(log.has("SCP exception: "));
    EXPECT_FALSE(c.IsConnected());
    ASSERT_TRUE(c.CheckConnect());
    ASSERT_TRUE(c.WriteMemory(data, "/tmp/up.bin", nullptr));
    EXPECT_EQ(kx::test::readHostFile(hostPath("/tmp/up.bin")), data);
}

// Reconnecting an open session must not leave the shell or the SCP channels pointing into the replaced
// client: each path below used freed memory (caught by ASan) before the session was dropped first.
TEST_F(TesterLinkTest, ReconnectingDropsTheOldShellAndChannelsOnEveryPath) {
    auto& c = connect();
    const auto data = kx::test::randomBytes(5000, 7);
    kx::test::writeBytes(hostPath("/tmp/a.bin"), data);
    auto readGroup = [&c] {
        FileCopyGroup g;
        g.AddFile("/tmp/a.bin");
        return c.ReadFileGroup(&g) && g.files()[0].data ? *g.files()[0].data : std::vector<uint8_t>();
    };
    ASSERT_TRUE(c.ReadMemory("/tmp/a.bin"));  // the SCP channels exist now

    // Success: the new client replaces the old one under a live shell and live channels.
    ASSERT_TRUE(c.OpenCurrentTester());
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
    EXPECT_EQ(readGroup(), data);

    // No answer to the ping: the old client is disconnected, the channels must go with it.
    c.setPingFactory([] { return makeFunctionPinger([](const std::string&, int) { return false; }); });
    EXPECT_FALSE(c.OpenCurrentTester());
    c.setPingFactory(kx::test::loopbackPing());
    EXPECT_EQ(readGroup(), data);

    // An error while connecting: likewise.
    c.setConnectFactory([](const std::string&, int) -> std::unique_ptr<SshClient> {
        throw SshError(SshErrorKind::Socket, "test: no route");
    });
    EXPECT_FALSE(c.OpenCurrentTester());
    EXPECT_FALSE(c.client());
    c.setConnectFactory(defaultConnectFactory());
    EXPECT_EQ(readGroup(), data);
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
}
