// Finding testers: the link-local candidates are mapped onto simulators through injected ping and
// connect functions, so no packet leaves the loopback interface.
#include "tester/TesterFixture.h"

#include <map>
#include <mutex>

using namespace Kestrix::Tester;
namespace fs = std::filesystem;

namespace {

struct FakeLink {
    std::map<std::string, std::string> testers;  // candidate address -> simulator address
    std::map<std::string, int> pingErrors;       // address -> remaining errors
    std::vector<std::string> pinged;
    std::vector<std::string> connected;

    PingFactory ping() {
        return [this] {
            return makeFunctionPinger([this](const std::string& host, int timeoutMs) {
                EXPECT_EQ(timeoutMs, 100);
                pinged.push_back(host);
                auto e = pingErrors.find(host);
                if (e != pingErrors.end() && e->second-- > 0) throw std::runtime_error("ping failed");
                return testers.count(host) > 0 || host == "127.0.0.1";
            });
        };
    }
    SshConnectFactory connect() {
        return [this](const std::string& address, int timeoutMs) {
            connected.push_back(address);
            auto it = testers.find(address);
            auto c = std::make_unique<SshClient>();
            c->setTimeout(timeoutMs);
            if (it == testers.end()) {
                // Only loopback may ever be dialled.
                auto a = parseAddress(address);
                EXPECT_TRUE(a && a->host == "127.0.0.1") << address;
                if (!a || a->host != "127.0.0.1")
                    throw SshError(SshErrorKind::Socket, "test: refusing to dial " + address);
                c->connect(address);
            } else {
                c->connect(it->second);
            }
            return c;
        };
    }
    void install(KestrixCom& c) {
        c.setPingFactory(ping());
        c.setConnectFactory(connect());
    }
};

class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        rootA = kx::test::freshFolder("discA");
        rootB = kx::test::freshFolder("discB");
        simA = kx::test::startSim(rootA);
        simB = kx::test::startSim(rootB, {.model = "Ombrel2",
                                          .serialNumber = "KX2000002",
                                          .config = "remote",
                                          .lastUpdate = "4.0.0",
                                          .modules = {{.model = "250"}}});
        link.install(c);
    }
    void TearDown() override {
        c.Close();
        simA->stop();
        simB->stop();
        fs::remove_all(rootA);
        fs::remove_all(rootB);
    }
    // Both simulators on the link, the first one with `faultsOfA`.
    void linkBoth(const Kestrix::Sim::SimFaults& faultsOfA = {}) {
        link.testers["169.254.222.2"] = simA->address();
        link.testers["169.254.222.10"] = simB->address();
        simA->setFaults(faultsOfA);
    }
    fs::path rootA, rootB;
    std::unique_ptr<Kestrix::Sim::TesterSim> simA, simB;
    FakeLink link;
    KestrixCom c;
};

// A found tester as "port|parameter|serial|platform|context|main|software|model".
std::string described(const TesterConnectInfo& t) {
    return t.Port + "|" + t.Parameter + "|" + t.SerialNumber + "|" + std::to_string(t.Platform) + "|" + t.Context +
           "|" + (t.Main ? "main" : "remote") + "|" + t.SoftwareVersion + "|" + std::to_string(t.Model);
}

}  // namespace

// A preferred address that is also a link-local candidate is probed once.
TEST_F(DiscoveryTest, OneTesterStaysConnected) {
    link.testers["169.254.222.2"] = simA->address();
    c.SetIp("169.254.222.2");
    auto found = c.FindAttachedTesters();
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(described((*found)[0]), "169.254.222.2||KX1000001|11|v1|main|3.2.1|3001");
    EXPECT_EQ(link.pinged, (std::vector<std::string>{"169.254.222.2", "169.254.222.10"}));
    EXPECT_EQ(link.connected, (std::vector<std::string>{"169.254.222.2"}));
    // The probe connection is the session now.
    EXPECT_TRUE(c.IsConnected());
    EXPECT_EQ(c.GetSerialNumber(), "KX1000001");
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
    EXPECT_EQ(link.connected.size(), 1u);
}

TEST_F(DiscoveryTest, TwoTestersAreReportedAndNeitherStaysOpen) {
    linkBoth();
    auto found = c.FindAttachedTesters();
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 2u);
    EXPECT_EQ((*found)[0].SerialNumber, "KX1000001");
    EXPECT_EQ(described((*found)[1]), "169.254.222.10||KX2000002|11|v2|remote|4.0.0|3003");
    EXPECT_FALSE(c.IsConnected());
    EXPECT_EQ(link.pinged.back(), "169.254.222.18");
    // Connecting afterwards uses the chosen tester.
    EXPECT_TRUE(c.KestrixConnect((*found)[1]));
    EXPECT_EQ(c.SendTvixCmdQuick("deferpowerdown"), std::string("OK"));
}

TEST_F(DiscoveryTest, PreferredAddressComesFirst) {
    c.SetIp(simB->address());
    c.setLinkLocalScan(true);
    auto found = c.FindAttachedTesters();
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ((*found)[0].Port, simB->address());
    EXPECT_EQ(link.pinged, (std::vector<std::string>{"127.0.0.1", "169.254.222.2"}));
    EXPECT_TRUE(c.IsConnected());
}

TEST_F(DiscoveryTest, APingErrorIsSkippedOnceASecondStopsTheScan) {
    link.testers["169.254.222.10"] = simA->address();
    link.testers["169.254.222.26"] = simB->address();
    link.pingErrors["169.254.222.2"] = 1;
    link.pingErrors["169.254.222.18"] = 1;
    auto found = c.FindAttachedTesters();
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ((*found)[0].Port, "169.254.222.10");
    EXPECT_EQ(link.pinged, (std::vector<std::string>{"169.254.222.2", "169.254.222.10", "169.254.222.18"}));
}

TEST_F(DiscoveryTest, NoTesterOnTheLinkAndARefusedLoginEndDiscovery) {
    EXPECT_FALSE(c.FindAttachedTesters());
    EXPECT_EQ(link.pinged, (std::vector<std::string>{"169.254.222.2"}));
    EXPECT_TRUE(link.connected.empty());
    Kestrix::Sim::SimFaults refuse;
    refuse.refuseLogin = true;
    linkBoth(refuse);
    EXPECT_FALSE(c.FindAttachedTesters());
    EXPECT_EQ(link.connected, (std::vector<std::string>{"169.254.222.2"}));
}

TEST_F(DiscoveryTest, AnUnreadableTesterIsSkippedAndLoggedWithItsAddress) {
    Kestrix::Sim::SimFaults garbage;
    garbage.garbageSysinfo = true;
    linkBoth(garbage);
    kx::test::LogCapture log;
    auto found = c.FindAttachedTesters();
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ((*found)[0].SerialNumber, "KX2000002");
    EXPECT_FALSE(c.IsConnected());
    EXPECT_TRUE(log.has("KestrixCom FindAttachedTesters (Address=169.254.222.2, sysinfo unreadable: "));
}

TEST_F(DiscoveryTest, NeverMoreThanFiveTesters) {
    for (int i = 0; i < 5; ++i)
        link.testers["169.254.222." + std::to_string(8 * i + 2)] = (i % 2 ? simB : simA)->address();
    c.SetIp(simB->address());
    auto found = c.FindAttachedTesters();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), 5u);
    EXPECT_EQ(link.connected.size(), 5u);
    EXPECT_FALSE(c.IsConnected());
}

namespace {

PingFactory pingNotAllowed() {
    return [] {
        return makeFallbackPinger(makeFunctionPinger([](const std::string& host, int) -> bool {
            EXPECT_EQ(host, "127.0.0.1");
            throw std::runtime_error("no ICMP socket: Permission denied");
        }));
    };
}

}  // namespace

TEST_F(DiscoveryTest, WhereNobodyMayPingTheSshPortDecidesAndTheDefaultPingerFindsALoopbackTester) {
    auto pinger = pingNotAllowed()();
    EXPECT_TRUE(pinger->pingAddress(simA->address(), 100));
    const std::string gone = simB->address();
    simB->stop();
    EXPECT_FALSE(pinger->pingAddress(gone, 100));
    // A pinger that can ping is believed: no TCP connect decides for it.
    auto silent = makeFallbackPinger(makeFunctionPinger([](const std::string&, int) { return false; }));
    EXPECT_FALSE(silent->pingAddress(simA->address(), 100));
    // A session connects and discovery finds the tester the same way.
    c.setPingFactory(pingNotAllowed());
    c.setLinkLocalScan(false);
    EXPECT_TRUE(c.KestrixConnect(kx::test::simInfo(*simA)));
    c.Close();
    c.SetIp(simA->address());
    auto found = c.FindAttachedTesters();
    ASSERT_TRUE(found);
    EXPECT_EQ((*found)[0].SerialNumber, "KX1000001");
    // ICMP where this user may send it, else the TCP connect: either way the simulator is found.
    EXPECT_TRUE(defaultPingFactory()()->pingAddress(simA->address(), 100));
}
