// SCP throughput from the tester simulator over loopback: one 50 MB file each way, 1000 files of 20 KB
// through group reads of ten, and OpenSSH's scp client (legacy protocol, -O) against the same simulator
// for comparison. Everything talks to 127.0.0.1 only.
#include <benchmark/benchmark.h>

// The simulator's headers are reachable only when this benchmark is linked with the simulator library.
#if __has_include("TesterSim.h")
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TesterSim.h"
#include "tester/host/Log.h"
#include "tester/session/KestrixCom.h"

namespace {

namespace fs = std::filesystem;
using namespace Kestrix::Tester;

constexpr size_t kBigFile = 50u * 1000 * 1000;
constexpr int kSmallFiles = 1000;
constexpr size_t kSmallFile = 20u * 1000;

std::vector<uint8_t> randomBytes(size_t n, unsigned seed) {
    std::vector<uint8_t> v(n);
    std::mt19937 rng(seed);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

void writeFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One simulator and one connected session for the whole run.
struct Bench {
    fs::path root;
    fs::path askpass;
    std::unique_ptr<Kestrix::Sim::TesterSim> sim;
    std::unique_ptr<KestrixCom> com;

    Bench() {
        root = fs::temp_directory_path() / ("kestrix-bench-scp-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "tmp");
        writeFile(root / "tmp/big.bin", randomBytes(kBigFile, 1));
        for (int i = 0; i < kSmallFiles; ++i)
            writeFile(root / "microsd_userdata/projects/P" / ("r" + std::to_string(i) + ".res"),
                      randomBytes(kSmallFile, static_cast<unsigned>(i)));
        Kestrix::Sim::SimOptions o;
        o.root = root;
        sim = std::make_unique<Kestrix::Sim::TesterSim>(o);
        sim->start();
        askpass = root / "askpass.sh";
        {
            std::ofstream s(askpass);
            s << "#!/bin/sh\necho '" << kServicePassword << "'\n";
        }
        fs::permissions(askpass, fs::perms::owner_all);
        com = std::make_unique<KestrixCom>();
        com->setLinkLocalScan(false);
        com->setPingFactory(
            [] { return makeFunctionPinger([](const std::string& h, int) { return h == "127.0.0.1"; }); });
        TesterConnectInfo info;
        info.Port = sim->address();
        info.Platform = kPlatform;
        if (!com->KestrixConnect(info)) throw std::runtime_error("cannot connect to the simulator");
    }
    ~Bench() {
        com.reset();
        sim->stop();
        fs::remove_all(root);
    }
};

Bench& bench() {
    static Bench b;
    return b;
}

void BM_Download50MB(benchmark::State& state) {
    auto& b = bench();
    for (auto _ : state) {
        auto bytes = b.com->ReadMemory("/tmp/big.bin");
        if (!bytes || bytes->size() != kBigFile) state.SkipWithError("download failed");
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBigFile));
}
BENCHMARK(BM_Download50MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_Upload50MB(benchmark::State& state) {
    auto& b = bench();
    const auto data = randomBytes(kBigFile, 2);
    for (auto _ : state) {
        if (!b.com->WriteMemory(data, "/tmp/up.bin", nullptr)) state.SkipWithError("upload failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBigFile));
}
BENCHMARK(BM_Upload50MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_GroupRead1000x20KB(benchmark::State& state) {
    auto& b = bench();
    for (auto _ : state) {
        for (int g = 0; g < kSmallFiles / 10; ++g) {
            FileCopyGroup group;
            for (int i = 0; i < 10; ++i)
                group.AddFile("/microsd_userdata/projects/P/r" + std::to_string(g * 10 + i) + ".res");
            if (!b.com->ReadFileGroup(&group) || !group.files().back().data) state.SkipWithError("group read failed");
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSmallFiles * static_cast<int64_t>(kSmallFile));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kSmallFiles);
}
BENCHMARK(BM_GroupRead1000x20KB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// OpenSSH's scp with the legacy protocol (the simulator serves no SFTP), password from an askpass script.
// Each run includes OpenSSH's own connection set-up and login.
std::string openSshScp(const Bench& b, const std::string& remote, const std::string& local) {
    return "SSH_ASKPASS='" + b.askpass.string() + "' SSH_ASKPASS_REQUIRE=force DISPLAY=none " +
           "scp -O -q -F /dev/null -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null " +
           "-o PreferredAuthentications=password -P " + std::to_string(b.sim->port()) + " tvuser@127.0.0.1:" + remote +
           " '" + local + "' </dev/null >/dev/null 2>&1";
}

void runOpenSshScp(benchmark::State& state, const std::string& remote, size_t size) {
    auto& b = bench();
    if (std::system("command -v scp >/dev/null 2>&1") != 0) {
        state.SkipWithError("no scp client");
        return;
    }
    const std::string out = (b.root / "scp-out.bin").string();
    const std::string cmd = openSshScp(b, remote, out);
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0 || fs::file_size(out) != size) {
            state.SkipWithError("OpenSSH scp failed against the simulator");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_OpenSshScpDownload50MB(benchmark::State& state) { runOpenSshScp(state, "/tmp/big.bin", kBigFile); }
BENCHMARK(BM_OpenSshScpDownload50MB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// One 20 KB file per OpenSSH connection, against one file of a group read above.
void BM_OpenSshScpDownload20KB(benchmark::State& state) {
    runOpenSshScp(state, "/microsd_userdata/projects/P/r0.res", kSmallFile);
}
BENCHMARK(BM_OpenSshScpDownload20KB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);

}  // namespace

#else

namespace {
void BM_ScpNeedsTheSimulator(benchmark::State& state) {
    for (auto _ : state) {
    }
    state.SkipWithError("built without the tester simulator library");
}
BENCHMARK(BM_ScpNeedsTheSimulator);
}  // namespace

#endif
