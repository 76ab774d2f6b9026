#include "SimMaintenance.h"

#include <zlib.h>

#include <fstream>

#include "SimVfs.h"
#include "TesterSim.h"

namespace fs = std::filesystem;

namespace Kestrix::Sim {
namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

CommandResult ok(std::string out) { return CommandResult{std::move(out), {}, 0}; }

bool exists(const SimVfs& vfs, const std::string& testerPath) {
    const auto host = vfs.map(testerPath);
    std::error_code ec;
    return host && fs::is_regular_file(*host, ec) && fs::file_size(*host, ec) > 0;
}

bool folderHasFiles(const SimVfs& vfs, const std::string& testerPath) {
    const auto host = vfs.map(testerPath);
    std::error_code ec;
    if (!host || !fs::is_directory(*host, ec)) return false;
    for (fs::directory_iterator it(*host, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) return true;
    return false;
}

// "swupdate [--terse] [--force-update]": the tester checks the package it was given and starts the update
// (reply 0) or refuses; --terse makes the reply a bare code. A fault switch can make it answer anything.
CommandResult swupdate(const CommandContext& c) {
    bool terse = false;
    for (size_t i = 1; i < c.args.size(); ++i) {
        if (c.args[i] == "--terse")
            terse = true;
        else if (c.args[i] != "--force-update")
            return CommandResult{{}, "swupdate: unknown option " + c.args[i] + "\n", 2};
    }
    std::string code = c.sim.faults().swupdateReply;
    if (code.empty()) {
        const bool package = exists(c.vfs, "/tmp/update.kes") || exists(c.vfs, "/tmp/update.ke2") ||
                             folderHasFiles(c.vfs, "/tmp/rmt_swupdate/images");
        code.push_back(package ? '0' : '2');
    }
    if (terse) return ok(code + "\n");
    return ok(code == "0" ? "Software update started\n" : "Software update refused (" + code + ")\n");
}

CommandResult dmesg(const CommandContext&) {
    return ok(
        "[    0.000000] Booting Linux on physical CPU 0x0\n"
        "[    0.000000] Linux version 5.10.72 (builder@kestrix) #1 PREEMPT\n"
        "[    1.204311] meas0: measurement module 310 found\n"
        "[    2.911870] usb0: link up, 169.254.222.2\n"
        "[   14.551002] ui: screen ready 640x480\n");
}

// Raw RGB rows, top to bottom: a colour ramp with a frame, so a picture shows which way up it is.
CommandResult fbdump(const CommandContext& c) {
    const int rows = c.sim.faults().shortFbdump ? kScreenHeight - 1 : kScreenHeight;
    std::string pixels;
    pixels.reserve(static_cast<size_t>(kScreenWidth) * kScreenHeight * 3);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < kScreenWidth; ++x) {
            const bool frame = x < 4 || y < 4 || x >= kScreenWidth - 4 || y >= kScreenHeight - 4;
            const bool bar = y < 48;  // the title bar at the top
            pixels.push_back(static_cast<char>(frame ? 0 : bar ? 20 : x * 255 / kScreenWidth));
            pixels.push_back(static_cast<char>(frame ? 0 : bar ? 60 : y * 255 / kScreenHeight));
            pixels.push_back(static_cast<char>(frame ? 0 : bar ? 160 : 128));
        }
    }
    return ok(std::move(pixels));
}

void writeText(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

void writeGzip(const fs::path& p, const std::string& text) {
    gzFile f = gzopen(p.c_str(), "wb");
    if (f == nullptr) return;
    gzwrite(f, text.data(), static_cast<unsigned>(text.size()));
    gzclose(f);
}

// The logs a tester keeps: the current ones plain, rotated ones gzipped; "kestrix.err.3.gz" has not been
// rotated yet. Existing files are left as they are.
void seedLogs(const SimVfs& vfs) {
    const auto dir = vfs.map("/var/log");
    std::error_code ec;
    if (!dir || (!fs::create_directories(*dir, ec) && ec)) return;
    const auto line = [](const char* text) { return std::string("Dec  6 09:00:00 kestrix ") + text + "\n"; };
    struct LogFile {
        const char* name;
        std::string text;
        bool gzipped;
    };
    const LogFile files[] = {
        {"kestrix.err", line("E meas: reference not set"), false},
        {"kestrix.err.1.gz", line("E ui: settings file missing, defaults used"), true},
        {"kestrix.err.2.gz", line("E usb: link reset"), true},
        {"kestrix.log", line("I app: started 3.2.1") + line("I meas: module 310 ready"), false},
        {"kestrix.log.1.gz", line("I app: started 3.2.0"), true},
        {"messages", line("kernel: usb0 up"), false},
        {"messages.1.gz", line("kernel: usb0 down"), true},
    };
    for (const auto& f : files) {
        const fs::path p = *dir / f.name;
        if (fs::exists(p, ec)) continue;
        if (f.gzipped)
            writeGzip(p, f.text);
        else
            writeText(p, f.text);
    }
}

}  // namespace

void registerMaintenanceCommands(TesterSim& sim) {
    if (sim.options().seedLogs) seedLogs(sim.vfs());
    sim.addCommand("swupdate", swupdate);
    sim.addCommand("dmesg", dmesg);
    sim.addCommand("fbdump", fbdump);
}

}  // namespace Kestrix::Sim
