// kestrix project show|list|pull|push: project setups, in a file and on the tester.
#include "ProjectCommand.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "TesterLink.h"
#include "common/PFile.h"
#include "storage/ProjectSetupFile.h"
#include "tester/setups/TarvelProject.h"

namespace kx::cli {

namespace {

using namespace Kestrix::Tester;

// A project transfer result in a word, and in a sentence with what to do about it.
struct ResultText {
    const char* name;
    const char* reason;
    const char* hint;
};

ResultText resultText(int result) {
    switch (result) {
        case TarvelCom::kProjectDone: return {"done", "", ""};
        case TarvelCom::kProjectDoneCustom: return {"done-with-custom-limits-or-cables", "", ""};
        case TarvelCom::kProjectExists:
            return {"project-exists", "a project of that name is on the tester", "add --overwrite to replace it"};
        case TarvelCom::kProjectNotFound:
            return {"not-found-or-upload-failed", "the tester found no such project, or the upload failed",
                    "check the name with kestrix project list"};
        case TarvelCom::kProjectUnreadable:
            return {"export-file-unreadable", "the tester's exported file could not be read", "try again"};
        case TarvelCom::kProjectFailed:
            return {"corrupt-or-failed-on-tester", "the tester found the setup corrupt or could not install it", ""};
        case TarvelCom::kProjectBadCall:
            return {"bad-call-or-unknown-reply", "the tester's reply was not understood", ""};
        case TarvelCom::kProjectExportFailed:
            return {"export-failed", "the tester could not export the project",
                    "check the name with kestrix project list"};
        case TarvelCom::kProjectNoReply:
            return {"no-reply", "no reply from the tester", "try again with a longer --timeout"};
        default: return {"unknown", "the tester's reply was not understood", ""};
    }
}

Json::Value resultJson(int result) {
    Json::Value v(Json::objectValue);
    v["result"] = resultText(result).name;
    v["resultCode"] = result;
    return v;
}

void projectList(const LinkOptions& o) {
    QuietLog log;
    auto com = connectTester(o, log);
    const auto names = com->GetProjectNames();
    if (!names) throw BadInput("cannot read the tester's project list" + log.reason());
    printNameList(*names, o.json);
}

void projectPull(const LinkOptions& o, const std::string& name, const std::string& out) {
    QuietLog log;
    auto com = connectTester(o, log);
    int result = 0;
    std::string fileName;
    const auto bytes = com->UploadProjectSetup(name, result, fileName);
    if (!bytes) {
        const ResultText r = resultText(result);
        throw BadInput("cannot export project \"" + printable(name) + "\": " + r.reason + log.reason(), r.hint);
    }
    writeOutputFile(out, *bytes);
    const bool custom = result == TarvelCom::kProjectDoneCustom;
    if (o.json) {
        Json::Value v = resultJson(result);
        v["project"] = name;
        v["customLimitsOrCables"] = custom;
        v["output"] = out;
        printJson(v);
        return;
    }
    std::cout << "exported project \"" << printable(name) << "\"" << (custom ? " with custom limits or cables" : "")
              << '\n';
}

// The bytes of a project setup database: taken as they are, or made from a bare serialized project.
std::vector<uint8_t> setupDatabaseBytes(const std::string& file) {
    auto bytes = readInputFile(file);
    if (Project::isSqliteDatabase(bytes)) return bytes;
    Project::Core project;
    std::string error;
    if (!Project::decodeProject(bytes, project, error)) throw BadInput(file + ": not a project setup: " + error);
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
    auto com = connectTester(o, log);
    ProgressBar bar(p.file);
    com->setSetupsProgress(bar.callback());
    const int result = com->DownloadNewProjectSetup(name, p.overwrite, kPlatform, bytes, p.force, "");
    const bool done = result == TarvelCom::kProjectDone || result == TarvelCom::kProjectDoneCustom;
    if (o.json) {
        Json::Value v = resultJson(result);
        v["project"] = name;
        printJson(v);
    } else if (done) {
        std::cout << "installed project \"" << printable(name) << "\" on the tester"
                  << (result == TarvelCom::kProjectDoneCustom ? " with custom limits or cables" : "") << '\n';
    }
    if (!done) {
        const ResultText r = resultText(result);
        throw BadInput("project \"" + printable(name) + "\" was not installed: " + r.reason + log.reason(), r.hint);
    }
}

}  // namespace

void showProject(const std::string& path, bool json, const Dump::DumpFlags& flags, std::ostream& out) {
    Project::Core project;
    std::string error;
    if (!Project::loadProjectFile(path, project, error)) throw BadInput(path + ": not a project: " + error);
    DumpOptions opts;
    opts.json = json;
    opts.flags = flags;
    printModel(project, &project, opts, out);
}

void setupProjectCommand(CLI::App* group) {
    group->require_subcommand(1);
    {
        struct Opts {
            std::string file;
            bool json = false;
            uint32_t detail = 1;
        };
        auto opts = std::make_shared<Opts>();
        auto* show = group->add_subcommand("show", "Print a serialized project or a project setup database");
        show->add_option("FILE", opts->file, "Project blob, or project setup database (table \"Project\")")->required();
        addJsonFlag(show, opts->json, "Print the project's JSON form instead of the text dump");
        show->add_option("--detail", opts->detail, "Detail level 0, 1 or 2")->check(CLI::Range(0, 2));
        show->callback([opts] { showProject(opts->file, opts->json, Dump::DumpFlags{opts->detail}, std::cout); });
    }
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
        addQuietFlag(cmd);
        cmd->callback([o, args] { projectPull(*o, args->first, args->second); });
    }
    {
        auto o = std::make_shared<LinkOptions>();
        auto p = std::make_shared<PushOptions>();
        auto* cmd =
            group->add_subcommand("push", "Install a project setup (database or serialized project) on the tester");
        cmd->add_option("FILE", p->file, "Project setup database, or a serialized project")->required();
        addSetupsLinkOptions(cmd, *o, true);
        cmd->add_option("--name", p->name, "Project name (default: the name in the file)");
        cmd->add_flag("--overwrite", p->overwrite, "Replace the tester's project of that name");
        cmd->add_flag("--force", p->force, "Replace a project of the imported name");
        cmd->callback([o, p] { projectPush(*o, *p); });
    }
}

}  // namespace kx::cli
