// kestrix update | info | logs | screen: software update, software report, log archive and screen capture.
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include <json/value.h>
#include <json/writer.h>

#include "Command.h"
#include "CommandTable.h"
#include "ScreenImage.h"
#include "TesterLink.h"
#include "tester/maintenance/UpdateStatus.h"

namespace {

using namespace Kestrix::Tester;
using kx::cli::BadInput;
using kx::cli::LinkOptions;
using kx::cli::printable;
using kx::cli::QuietLog;

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

void printJson(const Json::Value& v) { std::cout << Json::StyledWriter().write(v); }

void update(const LinkOptions& o, const std::string& packagePath, bool force) {
    const auto package = kx::cli::readInputFile(packagePath);
    QuietLog log;
    auto com = kx::cli::connectTarvel(o, log);
    kx::cli::PercentBar bar(packagePath);
    const int status = com->UpdateFirmware(package, force, bar.callback(), nullptr);
    const std::string name = updateStatusName(status);
    if (o.json) {
        Json::Value v(Json::objectValue);
        v["status"] = status;
        v["name"] = name;
        printJson(v);
    } else {
        std::printf("%d %s\n", status, name.c_str());
    }
    if (status != kUpdateDone && status != kUpdateRunning)
        throw BadInput("update not done: " + std::to_string(status) + " " + name + log.reason());
}

void info(const LinkOptions& o) {
    QuietLog log;
    auto com = kx::cli::connectTarvel(o, log);
    auto report = com->RetrieveSwVers();
    if (!report) throw BadInput("the tester gave no software report" + log.reason());
    std::string module, serial;
    const CalDate cal = com->ModuleCalDate(module, serial);
    const bool known = cal != kMinDate;
    if (o.json) {
        Json::Value v(Json::objectValue);
        v["report"] = *report;
        v["calibrationDate"] = known ? Json::Value(formatDate(cal)) : Json::Value();
        v["module"] = module;
        v["moduleSerial"] = serial;
        printJson(v);
        return;
    }
    std::cout << Kestrix::Tester::printableLines(*report);
    std::string what = known ? formatDate(cal) : "none";
    if (known) {
        const std::string of = module.empty() ? serial : module + " " + serial;
        what += " (module " + printable(of) + ")";
    }
    std::printf("\n%-25s%s\n", "Module calibration:", what.c_str());
}

void logs(const LinkOptions& o, const std::string& out, bool lockScreen) {
    QuietLog log;
    auto com = kx::cli::connectTarvel(o, log);
    const LogCollection logs = com->collectLogs(lockScreen);
    if (!logs.zip) throw BadInput("cannot collect the tester's logs" + log.reason());
    kx::cli::writeOutputFile(out, *logs.zip);
    // What arrived is kept; what did not (other than logs the tester does not have) is named.
    for (const auto& f : logs.leftOut)
        std::fprintf(stderr, "kestrix: left out %s: %s\n", printable(f.path).c_str(), f.reason.c_str());
    if (!logs.leftOut.empty())
        throw BadInput(std::to_string(logs.leftOut.size()) + " of the tester's logs are not in " + out);
}

void screen(const LinkOptions& o, const std::string& out) {
    const bool png = endsWith(out, ".png");
    if (!png && !endsWith(out, ".ppm")) throw BadInput("the picture's name must end in .png or .ppm");
    QuietLog log;
    auto com = kx::cli::connectTarvel(o, log);
    auto raw = com->RetrieveDisplayImage();
    if (!raw) throw BadInput("no screen capture from the tester" + log.reason());
    if (png)
        kx::cli::writeScreenPng(*raw, out);
    else
        kx::cli::writeOutputFile(out, kx::cli::screenToPpm(*raw));
}

}  // namespace

namespace kx::cli {

void setupUpdateCommand(CLI::App* cmd) {
    auto o = std::make_shared<LinkOptions>();
    auto package = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    kx::cli::addSetupsLinkOptions(cmd, *o, true);
    cmd->add_option("package", *package, "Update package (gzip-compressed tar)")->required();
    cmd->add_flag("--force", *force, "Install even when the tester would refuse the version");
    cmd->callback([o, package, force] { update(*o, *package, *force); });
}

void setupInfoCommand(CLI::App* cmd) {
    auto o = std::make_shared<LinkOptions>();
    kx::cli::addSetupsLinkOptions(cmd, *o, true);
    cmd->callback([o] { info(*o); });
}

void setupLogsCommand(CLI::App* cmd) {
    auto o = std::make_shared<LinkOptions>();
    auto out = std::make_shared<std::string>();
    auto lock = std::make_shared<bool>(false);
    kx::cli::addSetupsLinkOptions(cmd, *o, false);
    cmd->add_option("-o,--output", *out, "ZIP file to write")->required();
    cmd->add_flag("--lock-screen", *lock, "Lock the tester's screen while the logs are collected");
    cmd->callback([o, out, lock] { logs(*o, *out, *lock); });
}

void setupScreenCommand(CLI::App* cmd) {
    auto o = std::make_shared<LinkOptions>();
    auto out = std::make_shared<std::string>();
    kx::cli::addSetupsLinkOptions(cmd, *o, false);
    cmd->add_option("-o,--output", *out, "Picture to write (.png or .ppm)")->required();
    cmd->callback([o, out] { screen(*o, *out); });
}

}  // namespace kx::cli
