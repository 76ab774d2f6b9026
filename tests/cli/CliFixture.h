#pragma once
// The tool run as a user runs it, against a stocked simulated tester and input files of every kind that the
// suites of a test binary share; each suite gets a tester and files of its own.
#include "CliTesting.h"

#include <map>
#include <memory>

#include "SimStock.h"
#include "TesterSim.h"
#include "common/InstrumentSettingsFile.h"
#include "common/ResultEnvelope.h"
#include "copper/CopperBuilders.h"
#include "copper/LimitDbBuilders.h"
#include "core/ManifestSamples.h"
#include "core/TarGz.h"
#include "core/TestBytes.h"
#include "fiber/FiberBuilders.h"
#include "fiber/OtdrBuilders.h"
#include "storage/ProjectBuilders.h"
#include "tester/db/CopperLimitsTbl.h"

namespace kx::test {

// What `f` refuses as bad input ("no failure" when it throws nothing).
template <class F>
kx::cli::BadInput refusalOf(F f) {
    try {
        f();
    } catch (const kx::cli::BadInput& e) {
        return e;
    }
    return kx::cli::BadInput("no failure");
}

class CliFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root = freshFolder("cli-tester");
        files = freshFolder("cli-files");
        Kestrix::Sim::stockTester(root, {});
        writeText(root / "tmp" / "a.txt", "12345");
        Kestrix::Sim::SimOptions o;
        o.root = root;
        o.seedLogs = true;
        sim = std::make_unique<Kestrix::Sim::TesterSim>(o);
        sim->start();
        const fs::path& f = files;
        writeBytes(f / "copper.result", cat6AResultFile());
        writeBytes(f / "results" / "copper.result", cat6AResultFile());
        writeBytes(f / "ll.result", lossLengthResultFile());
        writeBytes(f / "otdr.result", otdrResultFile(200));
        auto cut = cat6AResultFile();
        cut.resize(cut.size() / 2);
        writeBytes(f / "cut.result", cut);
        writeText(f / "records.txt", "D-101-A\nD-101-B\nD-102-A\n");
        writeText(f / "empty.txt", "");
        writeBytes(f / "instrument.settings", Kestrix::InstrumentSettingsFile::write(sampleInstrumentSettings()));
        auto bright = sampleInstrumentSettings();
        bright.displayBrightness = 9999;
        writeBytes(f / "bright.settings", Kestrix::InstrumentSettingsFile::write(bright));
        writeBytes(f / "project.blob", bytesOf(sampleProject()));
        writeBytes(f / "manifest.pfile", manifestContainer(sampleManifest()));
        writeBytes(f / "fiberlimit.bin", Kestrix::serializeToBytes(lossLengthLimit()));
        writeBytes(f / "update.tar.gz", tarGz({{"images/main.img", std::string(4000, 'm')}}));
        std::vector<Kestrix::Tester::CopperLimitsTbl::Row> limits;
        int64_t key = 1;
        for (const auto& l : limitDbLimits()) limits.push_back(Kestrix::Tester::CopperLimitsTbl::rowOf(key++, l));
        writeBytes(f / "db" / Kestrix::Tester::CopperLimitsTbl::kFileName,
                   Kestrix::Tester::CopperLimitsTbl::writeDatabase(limits));
        fs::create_directories(f / "out");
    }
    static void TearDownTestSuite() {
        sim->stop();
        sim.reset();
        std::filesystem::remove_all(root);
        std::filesystem::remove_all(files);
    }

    // {ip} (the simulator), {down} (a port nobody listens on) and {f} (the input folder) filled in.
    static std::string fill(std::string a) {
        const std::map<std::string, std::string> words = {
            {"{ip}", sim->address()}, {"{down}", "127.0.0.1:1"}, {"{f}", files.string()}};
        for (const auto& [from, to] : words)
            for (size_t at = a.find(from); at != std::string::npos; at = a.find(from, at + to.size()))
                a.replace(at, from.size(), to);
        return a;
    }

    static ToolRun run(std::vector<std::string> args) {
        for (auto& a : args) a = fill(a);
        return runTool(KESTRIX_EXE, args, files.string());
    }

    static inline std::filesystem::path root, files;
    static inline std::unique_ptr<Kestrix::Sim::TesterSim> sim;
};

}  // namespace kx::test
