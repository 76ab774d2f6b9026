// kestrix discover | sh | ls | get | put: talking to a tester (or the simulator) over SSH.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <json/value.h>
#include <json/writer.h>

#include "Command.h"
#include "CommandTable.h"
#include "TesterCommands.h"
#include "TesterLink.h"
#include "tester/host/Log.h"
#include "tester/host/Printable.h"
#include "tester/host/ServicePassword.h"
#include "tester/session/DirListing.h"
#include "tester/session/KestrixCom.h"
#include "tester/ssh/ScpClient.h"
#include "tester/ssh/ShellQuote.h"

namespace {

using namespace Kestrix::Tester;

using kx::cli::QuietLog;
using kx::cli::TesterLink;

// The library's default pinger: ICMP, or the SSH port where this user may not ping.
std::unique_ptr<KestrixCom> makeCom(const TesterLink& o) { return std::make_unique<KestrixCom>(o.password); }

std::unique_ptr<KestrixCom> connect(const TesterLink& o, QuietLog& log) {
    auto com = makeCom(o);
    com->setLinkLocalScan(false);
    TesterConnectInfo info;
    info.Port = o.ip;
    info.Platform = kPlatform;
    if (!com->KestrixConnect(info)) throw kx::cli::BadInput("cannot connect to the tester at " + o.ip + log.reason());
    if (o.timeoutMs > 0) com->SetTimeout(o.timeoutMs);
    return com;
}

Json::Value toJson(const TesterConnectInfo& t) {
    Json::Value v(Json::objectValue);
    v["Port"] = t.Port;
    v["SerialNumber"] = t.SerialNumber;
    v["Platform"] = t.Platform;
    v["Context"] = t.Context;
    v["Main"] = t.Main;
    v["SoftwareVersion"] = t.SoftwareVersion;
    v["Model"] = t.Model;
    v["DisplayName"] = t.DisplayName;
    return v;
}

void discover(const TesterLink& o, bool json) {
    QuietLog log;
    auto com = makeCom(o);
    if (!o.ip.empty()) {
        com->SetIp(o.ip);
        com->setLinkLocalScan(false);
    }
    auto found = com->FindAttachedTesters();
    com->Close();
    if (!found) throw kx::cli::BadInput("no tester found" + log.reason());
    if (json) {
        Json::Value all(Json::arrayValue);
        for (const auto& t : *found) all.append(toJson(t));
        std::cout << Json::StyledWriter().write(all);
        return;
    }
    std::printf("%-22s %-14s %-10s %-7s %-5s %-5s %s\n", "ADDRESS", "SERIAL", "MODEL", "CONTEXT", "MAIN", "CODE",
                "SOFTWARE");
    // Serial number and software version are the tester's words.
    for (const auto& t : *found) {
        std::string model = t.DisplayName.substr(0, t.DisplayName.find(' '));
        std::printf("%-22s %-14s %-10s %-7s %-5s %-5d %s\n", t.Port.c_str(), printable(t.SerialNumber).c_str(),
                    model.c_str(), t.Context.c_str(), t.Main ? "yes" : "no", t.Model,
                    printable(t.SoftwareVersion).c_str());
    }
}

void shell(const TesterLink& o, const std::vector<std::string>& words) {
    std::string command;
    for (const auto& w : words) command += (command.empty() ? "" : " ") + w;
    if (!isTerminalSafe(command)) throw kx::cli::BadInput("the command holds a control character");
    QuietLog log;
    auto com = connect(o, log);
    auto reply = com->SendTvixCmd(command);
    if (!reply) throw kx::cli::BadInput("no reply from the tester" + log.reason());
    // The tester's words, not its control sequences, reach the terminal.
    std::cout << printableLines(*reply) << std::flush;
}

// "total 0" and blank lines only.
bool isEmptyListing(const std::string& reply) {
    size_t pos = 0;
    while (pos < reply.size()) {
        size_t nl = reply.find('\n', pos);
        std::string line = reply.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        pos = nl == std::string::npos ? reply.size() : nl + 1;
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (line.empty()) continue;
        if (line.rfind("total ", 0) != 0 || line.size() == 6 ||
            line.find_first_not_of("0123456789", 6) != std::string::npos)
            return false;
    }
    return true;
}

std::string firstTextLine(const std::string& reply) {
    size_t pos = reply.find_first_not_of("\n");
    return pos == std::string::npos ? std::string() : firstLine(reply.substr(pos));
}

}  // namespace

void kx::cli::listTesterFolder(const TesterLink& o, const std::string& folder, std::ostream& out) {
    if (!doubleQuoted(folder)) throw kx::cli::BadInput("the folder name holds a control character");
    if (isOptionLike(folder)) throw kx::cli::BadInput("the folder name begins with \"-\"");
    QuietLog log;
    auto com = connect(o, log);
    auto reply = com->SendTvixCmd("ls -lQ " + *doubleQuoted(folder));
    if (!reply) throw kx::cli::BadInput("no reply from the tester" + log.reason());
    auto entries = parseDirListing(*reply);
    if (!entries) {
        if (isEmptyListing(*reply)) return;
        // "Permission denied", "No such file", "Not a directory": the tester says which.
        throw kx::cli::BadInput(Kestrix::Tester::printable(firstTextLine(*reply)));
    }
    char size[32];
    for (const auto& e : *entries) {
        std::snprintf(size, sizeof size, "%12lld", static_cast<long long>(e.size));
        out << size << "  " << Kestrix::Tester::printable(e.name) << "\n";
    }
}

namespace {

ScpClient scpFor(KestrixCom& com) {
    ScpClient scp;
    scp.bind(*com.client());
    return scp;
}

void get(const TesterLink& o, const std::string& remote, const std::string& local) {
    QuietLog log;
    auto com = connect(o, log);
    std::vector<uint8_t> bytes;
    try {
        auto scp = scpFor(*com);
        bytes = scp.getFile(remote);
    } catch (const std::exception& e) {
        throw kx::cli::BadInput(e.what());
    }
    kx::cli::writeOutputFile(local, bytes);
}

// One line redrawn with \r on a terminal; nothing when stderr is not one.
class ProgressBar {
public:
    ProgressBar(std::string label, uint64_t total) : _label(std::move(label)), _total(total), _tty(isatty(2)) {}
    void update(uint64_t done, bool finished) {
        if (!_tty) return;
        int percent =
            _total == 0 ? 100 : static_cast<int>(static_cast<double>(done) * 100.0 / static_cast<double>(_total));
        if (percent == _shown) {
            if (finished) std::fprintf(stderr, "\n");
            return;
        }
        _shown = percent;
        const int width = 30;
        int filled = percent * width / 100;
        std::fprintf(stderr, "\r%s [%s%s] %3d%% %llu/%llu", _label.c_str(),
                     std::string(static_cast<size_t>(filled), '#').c_str(),
                     std::string(static_cast<size_t>(width - filled), ' ').c_str(), percent,
                     static_cast<unsigned long long>(done), static_cast<unsigned long long>(_total));
        if (finished) std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }

private:
    std::string _label;
    uint64_t _total;
    bool _tty;
    int _shown = -1;
};

void put(const TesterLink& o, const std::string& local, const std::string& remote) {
    auto bytes = kx::cli::readInputFile(local);
    QuietLog log;
    auto com = connect(o, log);
    ProgressBar bar(local, bytes.size());
    try {
        auto scp = scpFor(*com);
        scp.setProgressHandler([&bar](uint64_t done, bool finished) { bar.update(done, finished); });
        scp.putFile(bytes, remote);
    } catch (const std::exception& e) {
        throw kx::cli::BadInput(e.what());
    }
}

}  // namespace

namespace kx::cli {

void setupDiscoverCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto json = std::make_shared<bool>(false);
    addLinkOptions(cmd, *o, false);
    cmd->add_flag("--json", *json, "JSON instead of a table");
    cmd->callback([o, json] { discover(*o, *json); });
}

void setupShCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto words = std::make_shared<std::vector<std::string>>();
    addLinkOptions(cmd, *o, true);
    cmd->add_option("command", *words, "Command line (words are joined with spaces)")->required();
    cmd->callback([o, words] { shell(*o, *words); });
}

void setupLsCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto folder = std::make_shared<std::string>();
    addLinkOptions(cmd, *o, true);
    cmd->add_option("folder", *folder, "Folder on the tester")->required();
    cmd->callback([o, folder] { kx::cli::listTesterFolder(*o, *folder, std::cout); });
}

void setupGetCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    addLinkOptions(cmd, *o, true);
    cmd->add_option("remote", paths->first, "File on the tester")->required();
    cmd->add_option("local", paths->second, "Local file to write")->required();
    cmd->callback([o, paths] { get(*o, paths->first, paths->second); });
}

void setupPutCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    addLinkOptions(cmd, *o, true);
    cmd->add_option("local", paths->first, "Local file")->required();
    cmd->add_option("remote", paths->second, "Path on the tester")->required();
    cmd->callback([o, paths] { put(*o, paths->first, paths->second); });
}

}  // namespace kx::cli
