// kestrix ids list|push|rm: cable-id lists on the tester.
#include <algorithm>
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "TesterLink.h"

namespace kx::cli {
namespace {

using namespace Kestrix::Tester;

void idsList(const LinkOptions& o) {
    QuietLog log;
    auto com = connectTester(o, log);
    const auto names = com->cableIdListNames();
    if (!names) throw BadInput("cannot read the tester's cable-id lists" + log.reason());
    printNameList(*names, o.json);
}

// One id per line; line ends of either kind, blank lines skipped.
std::vector<std::string> readIds(const std::string& file) {
    const auto bytes = readInputFile(file);
    std::vector<std::string> ids;
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line.push_back(static_cast<char>(bytes[i]));
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) ids.push_back(line);
        line.clear();
    }
    return ids;
}

void idsPush(const LinkOptions& o, const std::string& file, const std::string& name) {
    CableIDList list;
    list.Name = name;
    list.IDs = readIds(file);
    if (list.IDs.empty()) throw BadInput(file + ": no cable ids in it", "write one cable id a line");
    QuietLog log;
    auto com = connectTester(o, log);
    ProgressBar bar(file);
    com->setSetupsProgress(bar.callback());
    const CableIdPush push = com->pushCableIdList(list);
    switch (push.result) {
        case CableIdPush::Result::Done:
            announce("the tester took the list " + printable(name) + " (" + std::to_string(list.IDs.size()) +
                     (list.IDs.size() == 1 ? " cable id)" : " cable ids)"));
            return;
        case CableIdPush::Result::Refused:
            throw BadInput("the tester refused the list " + printable(name) + ": " + push.reply);
        case CableIdPush::Result::Unconfirmed:
            throw BadInput("the tester's reply was lost: the list " + printable(name) + " could not be confirmed" +
                           (push.listExists ? " (a list of that name is on the tester, maybe an older one)"
                                            : " (no list of that name is on the tester)"));
        case CableIdPush::Result::NotSent: break;
    }
    throw BadInput("the list " + printable(name) + " could not be sent to the tester" + log.reason());
}

void idsRemove(const LinkOptions& o, const std::string& name) {
    QuietLog log;
    auto com = connectTester(o, log);
    // Deleting what is not there would be reported as done.
    const auto names = com->cableIdListNames();
    if (!names) throw BadInput("cannot read the tester's cable-id lists" + log.reason());
    if (std::find(names->begin(), names->end(), name) == names->end())
        throw BadInput("no cable-id list named \"" + printable(name) + "\" on the tester",
                       "see the names with kestrix ids list");
    if (!com->DeleteCableIdList(name))
        throw BadInput("the list " + printable(name) + " is still on the tester" + log.reason());
    announce("deleted the list " + printable(name) + " on the tester");
}

}  // namespace

void setupIdsCommand(CLI::App* group) {
    group->require_subcommand(1);
    {
        auto o = std::make_shared<LinkOptions>();
        auto* cmd = group->add_subcommand("list", "Names of the cable-id lists on the tester");
        addSetupsLinkOptions(cmd, *o, true);
        cmd->callback([o] { idsList(*o); });
    }
    {
        auto o = std::make_shared<LinkOptions>();
        auto args = std::make_shared<std::pair<std::string, std::string>>();
        auto* cmd = group->add_subcommand("push", "Send a list (one id per line) to the tester");
        cmd->add_option("FILE", args->first, "Text file, one cable id per line")->required();
        cmd->add_option("--name", args->second, "List name on the tester")->required();
        addSetupsLinkOptions(cmd, *o, false);
        addQuietFlag(cmd);
        cmd->callback([o, args] { idsPush(*o, args->first, args->second); });
    }
    {
        auto o = std::make_shared<LinkOptions>();
        auto name = std::make_shared<std::string>();
        auto* cmd = group->add_subcommand("rm", "Delete a list from the tester");
        cmd->add_option("NAME", *name, "List name")->required();
        addSetupsLinkOptions(cmd, *o, false);
        addQuietFlag(cmd);
        cmd->callback([o, name] { idsRemove(*o, *name); });
    }
}

}  // namespace kx::cli
