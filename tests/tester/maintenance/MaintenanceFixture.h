#pragma once
// A TarvelCom connected to a simulated tester of a chosen model, with the tester's pauses skipped.
#include "tester/TesterFixture.h"

#include <sys/wait.h>

#include <cstdio>
#include <set>

#include "tester/session/TarvelCom.h"

namespace kx::test {

class MaintenanceTest : public ::testing::Test {
protected:
    void TearDown() override {
        com.reset();
        if (sim) sim->stop();
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    Kestrix::Tester::TarvelCom& start(Kestrix::Sim::SysinfoOptions sysinfo = {}) {
        root = kx::test::freshFolder("maint");
        sim = startSim(root, std::move(sysinfo), true);
        com = std::make_unique<Kestrix::Tester::TarvelCom>();
        com->setPingFactory(loopbackPing());
        com->setLinkLocalScan(false);
        com->setPauseFn([](int) {});
        EXPECT_TRUE(com->Connect(simInfo(*sim)));
        return *com;
    }

    static Kestrix::Sim::SysinfoOptions unit(const std::string& model, const std::string& config) {
        Kestrix::Sim::SysinfoOptions o;
        o.model = model;
        o.config = config;
        return o;
    }

    // Replaces every fault switch: the ones `change` sets are on, all others off.
    void setFaults(const std::function<void(Kestrix::Sim::SimFaults&)>& change) {
        Kestrix::Sim::SimFaults f;
        change(f);
        sim->setFaults(f);
    }

    // Every regular file below the tester's root, as tester paths.
    std::set<std::string> testerFiles() const {
        std::set<std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(root))
            if (e.is_regular_file()) out.insert("/" + fs::relative(e.path(), root).generic_string());
        return out;
    }

    fs::path hostPath(const std::string& testerPath) const { return root / testerPath.substr(1); }

    size_t journalCount(const std::string& line) const {
        auto j = sim->journal();
        return static_cast<size_t>(std::count(j.begin(), j.end(), line));
    }

    fs::path root;
    std::unique_ptr<Kestrix::Sim::TesterSim> sim;
    std::unique_ptr<Kestrix::Tester::TarvelCom> com;
};

}  // namespace kx::test
