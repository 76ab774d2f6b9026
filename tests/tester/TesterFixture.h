#pragma once
// A simulated tester on 127.0.0.1 with its own root folder, and a session connected to it. Pings are
// answered by a function (never sent) so that nothing leaves the loopback interface.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TesterSim.h"
#include "tester/host/Log.h"
#include <boost/optional/optional_io.hpp>

#include "tester/session/TarvelCom.h"
#include "core/TestFiles.h"

namespace kx::test {

namespace fs = std::filesystem;

inline std::vector<uint8_t> randomBytes(size_t n, unsigned seed) {
    std::vector<uint8_t> v(n);
    std::mt19937 rng(seed);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

inline std::vector<uint8_t> readHostFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Answers only for loopback; any other address would be a test bug.
inline Kestrix::Tester::PingFactory loopbackPing() {
    return [] {
        return Kestrix::Tester::makeFunctionPinger([](const std::string& host, int) {
            EXPECT_EQ(host, "127.0.0.1");
            return host == "127.0.0.1";
        });
    };
}

// Collects log lines while alive.
struct LogCapture {
    std::vector<Kestrix::Tester::LogRecord> records;
    Kestrix::Tester::LogSinkFn previous;
    LogCapture() {
        previous = Kestrix::Tester::Log::setSink([this](const Kestrix::Tester::LogRecord& r) { records.push_back(r); });
    }
    ~LogCapture() { Kestrix::Tester::Log::setSink(previous); }
    bool has(const std::string& prefix) const {
        for (const auto& r : records)
            if (r.text.rfind(prefix, 0) == 0) return true;
        return false;
    }
};

inline std::unique_ptr<Kestrix::Sim::TesterSim> startSim(const fs::path& root,
                                                         Kestrix::Sim::SysinfoOptions sysinfo = {},
                                                         bool seedLogs = false) {
    for (const char* d : {"tmp", "var/log", "microsd_userdata/projects"}) fs::create_directories(root / d);
    Kestrix::Sim::SimOptions o;
    o.root = root;
    o.sysinfo = std::move(sysinfo);
    o.seedLogs = seedLogs;
    auto sim = std::make_unique<Kestrix::Sim::TesterSim>(o);
    sim->start();
    return sim;
}

// How a session reaches `sim`.
inline Kestrix::Tester::TesterConnectInfo simInfo(const Kestrix::Sim::TesterSim& sim) {
    Kestrix::Tester::TesterConnectInfo info;
    info.Port = sim.address();
    info.Platform = Kestrix::Tester::kPlatform;
    return info;
}

class TesterLinkTest : public ::testing::Test {
protected:
    void SetUp() override { restart(); }
    void TearDown() override {
        com.reset();
        tarvel.reset();
        if (sim) sim->stop();
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // A simulator over a fresh root folder, in place of the one running.
    void restart(Kestrix::Sim::SysinfoOptions sysinfo = {}, bool seedLogs = false) {
        TearDown();
        root = kx::test::freshFolder("link");
        sim = startSim(root, std::move(sysinfo), seedLogs);
    }

    Kestrix::Tester::TesterConnectInfo simInfo() const { return kx::test::simInfo(*sim); }

    // A session connected to the simulator.
    Kestrix::Tester::KestrixCom& connect() {
        com = std::make_unique<Kestrix::Tester::KestrixCom>();
        com->setPingFactory(loopbackPing());
        com->setLinkLocalScan(false);
        EXPECT_TRUE(com->KestrixConnect(simInfo()));
        return *com;
    }

    // A TarvelCom connected to the simulator, its pauses handed to `pause` (none: the tester's own waits).
    Kestrix::Tester::TarvelCom& connectTarvel(std::function<void(int)> pause = {},
                                              const std::string& displayName = "") {
        tarvel = std::make_unique<Kestrix::Tester::TarvelCom>();
        tarvel->setPingFactory(loopbackPing());
        tarvel->setLinkLocalScan(false);
        if (pause) tarvel->setPauseFn(std::move(pause));
        auto info = simInfo();
        info.DisplayName = displayName;
        EXPECT_TRUE(tarvel->Connect(info));
        return *tarvel;
    }

    fs::path hostPath(const std::string& testerPath) const { return root / testerPath.substr(1); }

    // Simulator faults with the fields `set` sets.
    static Kestrix::Sim::SimFaults faults(const std::function<void(Kestrix::Sim::SimFaults&)>& set) {
        Kestrix::Sim::SimFaults f;
        set(f);
        return f;
    }

    fs::path root;
    std::unique_ptr<Kestrix::Sim::TesterSim> sim;
    std::unique_ptr<Kestrix::Tester::KestrixCom> com;
    std::unique_ptr<Kestrix::Tester::TarvelCom> tarvel;
};

}  // namespace kx::test
