// `kestrix project show FILE [--json]`; list, pull and push are in SetupsCommands.cpp.
#include "ProjectCommand.h"

#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "SetupsCommands.h"
#include "storage/ProjectSetupFile.h"

namespace kx::cli {

void showProject(const std::string& path, bool json, const Dump::DumpFlags& flags, std::ostream& out) {
    Project::Core project;
    std::string error;
    if (!Project::loadProjectFile(path, project, error)) throw BadInput(path + ": " + error);
    DumpOptions opts;
    opts.json = json;
    opts.flags = flags;
    printModel(project, &project, opts, out);
}

void setupProjectCommand(CLI::App* group) {
    struct Opts {
        std::string file;
        bool json = false;
        uint32_t detail = 1;
    };
    auto opts = std::make_shared<Opts>();
    group->require_subcommand(1);
    auto* show = group->add_subcommand("show", "Print a serialized project or a project setup database");
    show->add_option("FILE", opts->file, "Project blob, or project setup database (table \"Project\")")
        ->required()
        ->check(CLI::ExistingFile);
    show->add_flag("--json", opts->json, "Print the JSON form instead of the text dump");
    show->add_option("--detail", opts->detail, "Detail level 0, 1 or 2")->check(CLI::Range(0, 2));
    show->callback([opts] { showProject(opts->file, opts->json, Dump::DumpFlags{opts->detail}, std::cout); });
    addProjectTransferCommands(group);
}

}  // namespace kx::cli
