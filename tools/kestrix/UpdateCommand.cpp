// kestrix update PACKAGE: a software update, refused before anything is sent unless the package is one.
#include <iostream>
#include <memory>
#include <string>

#include "Command.h"
#include "CommandTable.h"
#include "TesterLink.h"
#include "tester/maintenance/UpdatePackage.h"
#include "tester/maintenance/UpdateStatus.h"

namespace kx::cli {

namespace {

using namespace Kestrix::Tester;

// What an update status means, in words.
std::string statusWords(int status) {
    switch (status) {
        case kUpdateDone: return "the tester reports the update done";
        case kUpdateRunning: return "update started; the tester restarts";
        case kUpdateUploadFailed: return "the package was not delivered";
        case kUpdateNoReply: return "no reply from the tester";
        default: return "the tester refused the update (" + updateStatusName(status) + ")";
    }
}

void update(const LinkOptions& o, const std::string& packagePath, bool force) {
    const auto package = readInputFile(packagePath);
    const std::string notPackage = " is not an update package";
    const std::string what = "an update package is a gzip-compressed tar; nothing was sent";
    if (package.empty()) throw BadInput(packagePath + notPackage + ": it is empty", what);
    // Whole and readable before the tester is even asked; what a remote unit needs besides is checked once
    // the tester has said what it is, still before anything is sent.
    UpdatePackage check(package.data(), package.size());
    const std::string problem = check.problem(false);
    if (!problem.empty()) throw BadInput(packagePath + notPackage + ": " + problem, what);

    QuietLog log;
    auto com = connectTester(o, log);
    ProgressBar bar(packagePath);
    const int status = com->UpdateFirmware(package, force, bar.callback(), nullptr);
    const bool refusedHere = status == kUpdateUploadFailed && log.last().rfind("Update package refused", 0) == 0;
    std::string words =
        refusedHere ? "the package was refused before anything was sent: " + log.lastReason() : statusWords(status);
    if (o.json) {
        Json::Value v(Json::objectValue);
        v["status"] = updateStatusName(status);
        v["statusCode"] = status;
        v["message"] = words;
        printJson(v);
    } else if (status == kUpdateDone || status == kUpdateRunning) {
        std::cout << words << '\n';
    }
    if (status == kUpdateDone || status == kUpdateRunning) return;
    if (!refusedHere && !log.lastReason().empty() && status != kUpdateUploadFailed) words += log.reason();
    throw BadInput(
        "update not done: " + words,
        status == kUpdateNoReply ? "the tester may still be installing: look at its screen before trying again" : "");
}

}  // namespace

void setupUpdateCommand(CLI::App* cmd) {
    auto o = std::make_shared<LinkOptions>();
    auto package = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    cmd->add_option("PACKAGE", *package, "Update package (a gzip-compressed tar)")->required();
    addSetupsLinkOptions(cmd, *o, true);
    cmd->add_flag("--force", *force, "Install even when the tester would refuse the version");
    cmd->callback([o, package, force] { update(*o, *package, *force); });
}

}  // namespace kx::cli
