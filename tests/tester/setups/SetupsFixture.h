#pragma once
// A simulated tester and a TarvelCom connected to it, for the setups exchange.
#include "tester/TesterFixture.h"
#include "common/InstrumentSettingsFile.h"
#include "storage/ProjectSetupFile.h"
#include "tester/session/TarvelCom.h"

namespace kx::test {

// A project setup database made by the library's writer, as bytes.
inline std::vector<uint8_t> setupFile(const Project::Core& p) {
    const fs::path path = kx::test::freshFolder("setup-file") / "p.sql";
    std::string error;
    std::vector<uint8_t> encoded;
    EXPECT_TRUE(Project::encodeProject(p, encoded, error)) << error;
    EXPECT_TRUE(Project::writeSetupDatabase(path.string(), encoded, error));
    auto bytes = kx::test::readHostFile(path);
    fs::remove_all(path.parent_path());
    return bytes;
}

class SetupsTest : public ::testing::Test {
protected:
    void SetUp() override { start({}); }
    void TearDown() override {
        com.reset();
        sim->stop();
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    void start(Kestrix::Sim::SysinfoOptions sysinfo) {
        root = kx::test::freshFolder("setups");
        sim = startSim(root, std::move(sysinfo));
        com = std::make_unique<Kestrix::Tester::TarvelCom>();
        com->setPingFactory(loopbackPing());
        com->setLinkLocalScan(false);
        com->setPauseFn([this](int ms) { pauses.push_back(ms); });
        ASSERT_TRUE(com->Connect(simInfo(*sim)));
    }

    fs::path hostPath(const std::string& testerPath) const { return root / testerPath.substr(1); }
    bool exists(const std::string& testerPath) const { return fs::exists(hostPath(testerPath)); }

    void setFault(void (*edit)(Kestrix::Sim::SimFaults&)) {
        Kestrix::Sim::SimFaults f = sim->faults();
        edit(f);
        sim->setFaults(f);
    }

    // The lines of the journal that start with `prefix`.
    std::vector<std::string> sent(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& line : sim->journal())
            if (line.rfind(prefix, 0) == 0) out.push_back(line);
        return out;
    }

    // Each lock was followed by an unlock, and the screen is unlocked now.
    void expectUnlocked() const {
        EXPECT_FALSE(sim->screenLocked());
        int depth = 0;
        for (const auto& line : sim->journal()) {
            if (line == "uilock 1") ++depth;
            if (line == "uilock 0") --depth;
        }
        EXPECT_EQ(depth, 0);
    }

    fs::path root;
    std::unique_ptr<Kestrix::Sim::TesterSim> sim;
    std::unique_ptr<Kestrix::Tester::TarvelCom> com;
    std::vector<int> pauses;
};

}  // namespace kx::test
