// kestrix settings pull|push, kestrix project list|pull|push: setups between this machine and a tester.
#include "SetupsCommands.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <json/value.h>
#include <json/writer.h>

#include "Command.h"
#include "TesterLink.h"
#include "common/PFile.h"
#include "storage/ProjectSetupFile.h"
#include "tester/setups/KestrixSetups.h"
#include "tester/setups/TarvelProject.h"

namespace kx::cli {

using namespace Kestrix::Tester;

namespace {

void printJson(const Json::Value& v) { std::cout << Json::StyledWriter().write(v); }

void settingsPull(const LinkOptions& o, const std::string& out) {
    QuietLog log;
    auto com = connectTarvel(o, log);
    const auto bytes = com->RetrieveSettings();
    if (!bytes) throw BadInput("the tester sent no settings" + log.reason());
    writeOutputFile(out, *bytes);
    KestrixSetups check;
    if (!check.OpenData(*bytes))
        throw BadInput("the tester's settings were written to " + out + " but are not a readable settings file");
}

void settingsPush(const LinkOptions& o, const std::string& file) {
    const auto bytes = readInputFile(file);
    KestrixSetups check;
    if (!check.OpenData(bytes)) throw BadInput(file + ": not an instrument settings file");
    QuietLog log;
    auto com = connectTarvel(o, log);
    PercentBar bar(file);
    com->setSetupsProgress(bar.callback());
    if (!com->UpdateSettings(bytes)) throw BadInput("the tester did not take the settings" + log.reason());
}

void projectList(const LinkOptions& o) {
    QuietLog log;
    auto com = connectTarvel(o, log);
    const auto names = com->GetProjectNames();
    if (!names) throw BadInput("cannot read the tester's project list" + log.reason());
    printNameList(*names, o.json);
}

Json::Value resultJson(int result) {
    Json::Value v(Json::objectValue);
    v["result"] = result;
    v["resultName"] = projectResultName(result);
    return v;
}

void projectPull(const LinkOptions& o, const std::string& name, const std::string& out) {
    QuietLog log;
    auto com = connectTarvel(o, log);
    int result = 0;
    std::string fileName;
    const auto bytes = com->UploadProjectSetup(name, result, fileName);
    if (!bytes)
        throw BadInput("project " + printable(name) + ": " + projectResultName(result) + " (" + std::to_string(result) +
                       ")" + log.reason());
    writeOutputFile(out, *bytes);
    if (o.json) {
        Json::Value v = resultJson(result);
        v["custom"] = result == TarvelCom::kProjectDoneCustom;
        v["fileName"] = fileName;
        v["output"] = out;
        printJson(v);
        return;
    }
    std::cout << projectResultName(result) << " (" << result << "): " << printable(fileName) << " -> " << out << '\n';
}

// The bytes of a project setup database: taken as they are, or made from a bare serialized project.
std::vector<uint8_t> setupDatabaseBytes(const std::string& file) {
    auto bytes = readInputFile(file);
    if (Project::isSqliteDatabase(bytes)) return bytes;
    Project::Core project;
    std::string error;
    if (!Project::decodeProject(bytes, project, error)) throw BadInput(file + ": " + error);
    std::string temp = (std::filesystem::temp_directory_path() / "kestrix-project-XXXXXX").string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw BadInput("cannot make a temporary file");
    ::close(fd);
    const bool written = Project::writeSetupDatabase(temp, bytes, error);
    std::vector<uint8_t> out;
    const bool read = written && PFile::readFileBytes(temp, out);
    std::filesystem::remove(temp);
    if (!read) throw BadInput("cannot make a project setup database: " + error);
    return out;
}

struct PushOptions {
    std::string file;
    std::string name;
    bool overwrite = false;
    bool force = false;
};

void projectPush(const LinkOptions& o, const PushOptions& p) {
    const auto bytes = setupDatabaseBytes(p.file);
    TarvelProject project;
    if (project.OpenData(bytes) != TarvelProject::kOpened) throw BadInput(p.file + ": no readable project in it");
    const std::string name = p.name.empty() ? project.GetProjectName() : p.name;
    QuietLog log;
    auto com = connectTarvel(o, log);
    PercentBar bar(p.file);
    com->setSetupsProgress(bar.callback());
    const int result = com->DownloadNewProjectSetup(name, p.overwrite, kPlatform, bytes, p.force, "");
    if (o.json)
        printJson(resultJson(result));
    else
        std::cout << projectResultName(result) << " (" << result << ")\n";
    if (result != TarvelCom::kProjectDone && result != TarvelCom::kProjectDoneCustom)
        throw BadInput("project " + printable(name) + " was not installed: " + projectResultName(result) +
                       log.reason());
}

}  // namespace

void printNameList(const std::vector<std::string>& names, bool json) {
    if (json) {
        Json::Value all(Json::arrayValue);
        for (const auto& n : names) all.append(n);
        printJson(all);
        return;
    }
    for (const auto& n : names) std::cout << printable(n) << '\n';
}

std::string projectResultName(int result) {
    switch (result) {
        case TarvelCom::kProjectDone: return "done";
        case TarvelCom::kProjectDoneCustom: return "done-with-custom-limits-or-cables";
        case TarvelCom::kProjectExists: return "project-exists";
        case TarvelCom::kProjectNotFound: return "not-found-or-upload-failed";
        case TarvelCom::kProjectUnreadable: return "export-file-unreadable";
        case TarvelCom::kProjectFailed: return "corrupt-or-failed-on-tester";
        case TarvelCom::kProjectBadCall: return "bad-call-or-unknown-reply";
        case TarvelCom::kProjectExportFailed: return "export-failed";
        case TarvelCom::kProjectNoReply: return "no-reply";
        default: return "unknown";
    }
}

void addSettingsTransferCommands(CLI::App* group) {
    {
        auto o = std::make_shared<LinkOptions>();
        auto out = std::make_shared<std::string>();
        auto* cmd = group->add_subcommand("pull", "Fetch the tester's instrument settings into a file");
        addSetupsLinkOptions(cmd, *o, false);
        cmd->add_option("-o,--output", *out, "Settings file to write")->required();
        cmd->callback([o, out] { settingsPull(*o, *out); });
    }
    {
        auto o = std::make_shared<LinkOptions>();
        auto file = std::make_shared<std::string>();
        auto* cmd = group->add_subcommand("push", "Send an instrument settings file to the tester and apply it");
        cmd->add_option("FILE", *file, "Instrument settings file")->required()->check(CLI::ExistingFile);
        addSetupsLinkOptions(cmd, *o, false);
        cmd->callback([o, file] { settingsPush(*o, *file); });
    }
}

void addProjectTransferCommands(CLI::App* group) {
    {
        auto o = std::make_shared<LinkOptions>();
        auto* cmd = group->add_subcommand("list", "Names of the projects on the tester");
        addSetupsLinkOptions(cmd, *o, true);
        cmd->callback([o] { projectList(*o); });
    }
    {
        auto o = std::make_shared<LinkOptions>();
        auto args = std::make_shared<std::pair<std::string, std::string>>();
        auto* cmd = group->add_subcommand("pull", "Export a project from the tester as a project setup database");
        cmd->add_option("NAME", args->first, "Project name on the tester")->required();
        addSetupsLinkOptions(cmd, *o, true);
        cmd->add_option("-o,--output", args->second, "Project setup file to write")->required();
        cmd->callback([o, args] { projectPull(*o, args->first, args->second); });
    }
    {
        auto o = std::make_shared<LinkOptions>();
        auto p = std::make_shared<PushOptions>();
        auto* cmd =
            group->add_subcommand("push", "Install a project setup (database or serialized project) on the tester");
        cmd->add_option("FILE", p->file, "Project setup database, or a serialized project")
            ->required()
            ->check(CLI::ExistingFile);
        addSetupsLinkOptions(cmd, *o, true);
        cmd->add_option("--name", p->name, "Project name (default: the name in the file)");
        cmd->add_flag("--overwrite", p->overwrite, "Replace the tester's project of that name");
        cmd->add_flag("--force", p->force, "Replace a project of the imported name");
        cmd->callback([o, p] { projectPush(*o, *p); });
    }
}

}  // namespace kx::cli
