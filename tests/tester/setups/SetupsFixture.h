#pragma once
// A simulated tester and a TarvelCom connected to it, for the setups exchange.
#include "tester/TesterFixture.h"
#include "common/InstrumentSettingsFile.h"
#include "storage/ProjectSetupFile.h"

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

class SetupsTest : public TesterLinkTest {
protected:
    void SetUp() override {
        TesterLinkTest::SetUp();
        connectTarvel([this](int ms) { pauses.push_back(ms); });
    }

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

    std::vector<int> pauses;
};

}  // namespace kx::test
