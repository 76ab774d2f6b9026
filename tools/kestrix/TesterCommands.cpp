// kestrix discover | sh | ls | get | put: talking to a tester (or the simulator) over SSH.
#include "TesterCommands.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandTable.h"
#include "TesterLink.h"
#include "tester/host/Printable.h"
#include "tester/session/DirListing.h"
#include "tester/ssh/ScpClient.h"
#include "tester/ssh/ShellQuote.h"
#include "tester/ssh/ShellText.h"

namespace kx::cli {

namespace {

using namespace Kestrix::Tester;

Json::Value testerJson(const TesterConnectInfo& t) {
    Json::Value v(Json::objectValue);
    v["address"] = t.Port;
    v["serialNumber"] = t.SerialNumber;
    v["model"] = t.DisplayName.substr(0, t.DisplayName.find(' '));
    v["modelCode"] = t.Model;
    v["context"] = t.Context;
    v["main"] = t.Main;
    v["softwareVersion"] = t.SoftwareVersion;
    return v;
}

void discover(const TesterLink& o, bool json) {
    QuietLog log;
    auto com = makeSession(o);
    // Without an address the USB network link is searched.
    if (o.ip.empty()) com->setLinkLocalScan(true);
    auto found = com->FindAttachedTesters();
    com->Close();
    if (!found)
        throw BadInput(o.ip.empty() ? "no tester found on the USB network link" + log.reason()
                                    : "no tester at " + o.ip + log.reason(),
                       o.ip.empty() ? "link the tester by USB, or give its address with --ip ADDR[:PORT]"
                                    : "check the address and that the tester is on");
    if (json) {
        Json::Value all(Json::arrayValue);
        for (const auto& t : *found) all.append(testerJson(t));
        printJson(all);
        return;
    }
    std::printf("%-22s %-14s %-10s %-7s %-5s %-5s %s\n", "ADDRESS", "SERIAL", "MODEL", "CONTEXT", "MAIN", "CODE",
                "SOFTWARE");
    // Serial number and software version are the tester's words.
    for (const auto& t : *found) {
        std::string model = t.DisplayName.substr(0, t.DisplayName.find(' '));
        std::printf("%-22s %-14s %-10s %-7s %-5s %-5d %s\n", printable(t.Port).c_str(),
                    printable(t.SerialNumber).c_str(), model.c_str(), t.Context.c_str(), t.Main ? "yes" : "no", t.Model,
                    printable(t.SoftwareVersion).c_str());
    }
}

// The exit status the tester's shell keeps of the command it ran last; none when it does not say.
boost::optional<int> lastExitStatus(TarvelCom& com) {
    const auto reply = com.SendTvixCmd("echo $?");
    if (!reply) return boost::none;
    const std::string line = firstLine(*reply);
    int status = 0;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), status);
    if (ec != std::errc() || end != line.data() + line.size()) return boost::none;
    return status;
}

void shell(const TesterLink& o, const std::vector<std::string>& words) {
    std::string command;
    for (const auto& w : words) command += (command.empty() ? "" : " ") + w;
    if (!isTerminalSafe(command)) throw BadInput("the command holds a control character");
    QuietLog log;
    auto com = connectTester(o, log);
    auto reply = com->SendTvixCmd(command);
    if (!reply) throw BadInput("no reply from the tester" + log.reason(), "try again with a longer --timeout");
    // The tester's words, not its control sequences, reach the terminal.
    std::cout << printableLines(*reply) << std::flush;
    const auto status = lastExitStatus(*com);
    if (!status) throw BadInput("the tester did not say whether the command succeeded");
    if (*status != 0) throw BadInput("the command failed on the tester (exit status " + std::to_string(*status) + ")");
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

ScpClient scpFor(TarvelCom& com) {
    ScpClient scp;
    scp.bind(*com.client());
    return scp;
}

void get(const TesterLink& o, const std::string& remote, const std::string& local) {
    QuietLog log;
    auto com = connectTester(o, log);
    std::vector<uint8_t> bytes;
    try {
        auto scp = scpFor(*com);
        bytes = scp.getFile(remote);
    } catch (const std::exception& e) {
        throw BadInput("cannot copy " + printable(remote) + " from the tester: " + printable(e.what()));
    }
    writeOutputFile(local, bytes);
}

void put(const TesterLink& o, const std::string& local, const std::string& remote) {
    auto bytes = readInputFile(local);
    QuietLog log;
    auto com = connectTester(o, log);
    ProgressBar bar(local);
    try {
        auto scp = scpFor(*com);
        const double total = static_cast<double>(bytes.size());
        scp.setProgressHandler([&bar, total](uint64_t done, bool) {
            bar.percent(total > 0 ? static_cast<int>(static_cast<double>(done) * 100.0 / total) : 100);
        });
        scp.putFile(bytes, remote);
    } catch (const std::exception& e) {
        throw BadInput("cannot copy " + local + " to the tester: " + printable(e.what()));
    }
    announce("wrote " + printable(remote) + " on the tester");
}

}  // namespace

void listTesterFolder(const TesterLink& o, const std::string& folder, std::ostream& out, bool json) {
    if (!doubleQuoted(folder)) throw BadInput("the folder name holds a control character");
    if (isOptionLike(folder)) throw BadInput("the folder name begins with \"-\"");
    QuietLog log;
    auto com = connectTester(o, log);
    auto reply = com->SendTvixCmd("ls -lQ " + *doubleQuoted(folder));
    if (!reply) throw BadInput("no reply from the tester" + log.reason());
    auto entries = parseDirListing(*reply);
    if (!entries) {
        if (!isEmptyListing(*reply))
            // "Permission denied", "No such file", "Not a directory": the tester says which.
            throw BadInput(printable(firstTextLine(*reply)));
        entries.emplace();
    }
    if (json) {
        Json::Value all(Json::arrayValue);
        for (const auto& e : *entries) {
            Json::Value v(Json::objectValue);
            v["name"] = e.name;
            v["size"] = Json::Int64(e.size);
            all.append(v);
        }
        out << jsonText(all);
        return;
    }
    char size[32];
    for (const auto& e : *entries) {
        std::snprintf(size, sizeof size, "%12lld", static_cast<long long>(e.size));
        out << size << "  " << printable(e.name) << "\n";
    }
}

void setupDiscoverCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto json = std::make_shared<bool>(false);
    addLinkOptions(cmd, *o, false);
    addJsonFlag(cmd, *json, "JSON instead of a table");
    cmd->callback([o, json] { discover(*o, *json); });
}

void setupShCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto words = std::make_shared<std::vector<std::string>>();
    addLinkOptions(cmd, *o);
    cmd->add_option("command", *words, "Command line (words are joined with spaces)")->required();
    cmd->callback([o, words] { shell(*o, *words); });
}

void setupLsCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto folder = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    addLinkOptions(cmd, *o);
    cmd->add_option("folder", *folder, "Folder on the tester")->required();
    addJsonFlag(cmd, *json);
    cmd->callback([o, folder, json] { listTesterFolder(*o, *folder, std::cout, *json); });
}

void setupGetCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    addLinkOptions(cmd, *o);
    cmd->add_option("remote", paths->first, "File on the tester")->required();
    cmd->add_option("local", paths->second, "Local file to write")->required();
    addQuietFlag(cmd);
    cmd->callback([o, paths] { get(*o, paths->first, paths->second); });
}

void setupPutCommand(CLI::App* cmd) {
    auto o = std::make_shared<TesterLink>();
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    addLinkOptions(cmd, *o);
    cmd->add_option("local", paths->first, "Local file")->required();
    cmd->add_option("remote", paths->second, "Path on the tester")->required();
    addQuietFlag(cmd);
    cmd->callback([o, paths] { put(*o, paths->first, paths->second); });
}

}  // namespace kx::cli
