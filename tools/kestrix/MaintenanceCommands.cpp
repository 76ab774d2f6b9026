// kestrix info | logs | screen: software report, log archive and screen capture (update: UpdateCommand.cpp).
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "Command.h"
#include "CommandTable.h"
#include "ScreenImage.h"
#include "TesterLink.h"
#include "tester/maintenance/SysinfoDate.h"

namespace kx::cli {

namespace {

using namespace Kestrix::Tester;

CalDate today() { return CalDate{std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now())}; }

void info(const LinkOptions& o) {
    QuietLog log;
    auto com = connectTester(o, log);
    auto report = com->RetrieveSwVers();
    if (!report) throw BadInput("the tester gave no software report" + log.reason());
    std::string module, serial;
    const CalDate cal = com->ModuleCalDate(module, serial);
    const bool known = cal != kMinDate;
    // More than a year before today.
    const bool due = known && addMonths(cal, 12) < today();
    const std::string unit = printable(module.empty() ? serial : module + " " + serial);
    const std::string warning = due ? "module " + unit + " calibrated " + formatDate(cal) +
                                          ", more than a year before today (" + formatDate(today()) + ")"
                                    : "";
    if (o.json) {
        Json::Value v(Json::objectValue);
        v["report"] = *report;
        v["calibrationDate"] = known ? Json::Value(formatDate(cal)) : Json::Value();
        v["module"] = module;
        v["moduleSerial"] = serial;
        v["calibrationDue"] = due;
        printJson(v);
    } else {
        std::cout << printableLines(*report);
        std::string what = known ? formatDate(cal) : "none";
        if (known) what += " (module " + unit + ")";
        std::printf("\n%-25s%s\n", "Module calibration:", what.c_str());
        if (due) std::printf("%-25s%s\n", "Calibration due:", warning.c_str());
    }
}

void logs(const LinkOptions& o, const std::string& out, bool lockScreen) {
    QuietLog log;
    auto com = connectTester(o, log);
    const LogCollection logs = com->collectLogs(lockScreen);
    if (!logs.zip) throw BadInput("cannot collect the tester's logs" + log.reason());
    writeOutputFile(out, *logs.zip);
    // What arrived is kept; what did not (other than logs the tester does not have) is named.
    for (const auto& f : logs.leftOut)
        std::fprintf(stderr, "kestrix: left out %s: %s\n", printable(f.path).c_str(), printable(f.reason).c_str());
    if (!logs.leftOut.empty())
        throw BadInput(std::to_string(logs.leftOut.size()) + " of the tester's logs are not in " + out,
                       "try again; the archive holds the others");
}

void screen(const LinkOptions& o, const std::string& out) {
    const std::string ext = extensionOf(out);
    if (ext != ".png" && ext != ".ppm") throw UsageError("the picture's name must end in .png or .ppm: " + out);
    QuietLog log;
    auto com = connectTester(o, log);
    auto raw = com->RetrieveDisplayImage();
    if (!raw) throw BadInput("no screen capture from the tester" + log.reason());
    if (ext == ".png")
        writeScreenPng(*raw, out);
    else
        writeOutputFile(out, screenToPpm(*raw));
}

}  // namespace

void setupInfoCommand(CLI::App* cmd) {
    auto o = std::make_shared<LinkOptions>();
    addSetupsLinkOptions(cmd, *o, true);
    cmd->callback([o] { info(*o); });
}

void setupLogsCommand(CLI::App* cmd) {
    auto o = std::make_shared<LinkOptions>();
    auto out = std::make_shared<std::string>();
    auto lock = std::make_shared<bool>(false);
    addSetupsLinkOptions(cmd, *o, false);
    cmd->add_option("-o,--output", *out, "ZIP file to write")->required();
    cmd->add_flag("--lock-screen", *lock, "Lock the tester's screen while the logs are collected");
    addQuietFlag(cmd);
    cmd->callback([o, out, lock] { logs(*o, *out, *lock); });
}

void setupScreenCommand(CLI::App* cmd) {
    auto o = std::make_shared<LinkOptions>();
    auto out = std::make_shared<std::string>();
    addSetupsLinkOptions(cmd, *o, false);
    cmd->add_option("-o,--output", *out, "Picture to write (.png or .ppm)")->required();
    addQuietFlag(cmd);
    cmd->callback([o, out] { screen(*o, *out); });
}

}  // namespace kx::cli
