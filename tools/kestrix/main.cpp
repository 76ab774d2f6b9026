// The kestrix tool: every command it has, grouped by job in the order `kestrix --help` lists them, and every
// printer `kestrix dump` and `kestrix csv` know. A command's options and work are in <Name>Command.cpp unless
// the row says otherwise.
#include <algorithm>
#include <iostream>

#include "CliDocs.h"
#include "Command.h"
#include "CommandTable.h"

namespace kx::cli {

namespace {

struct CommandEntry {
    const char* name;
    const char* group;
    const char* summary;  // its line in `kestrix --help`
    void (*setup)(CLI::App* cmd);
};

constexpr const char* kTester = "Tester";
constexpr const char* kResults = "Results";
constexpr const char* kReports = "Reports";
constexpr const char* kSetups = "Setups";
constexpr const char* kMaintenance = "Maintenance";

const CommandEntry kCommands[] = {
    // TesterCommands.cpp
    {"discover", kTester, "Find testers (at --ip, else on the USB network link)", setupDiscoverCommand},
    {"sh", kTester, "Run a command in the tester's shell and print its reply", setupShCommand},
    {"ls", kTester, "List a folder on the tester", setupLsCommand},
    {"get", kTester, "Copy a file from the tester", setupGetCommand},
    {"put", kTester, "Copy a file to the tester", setupPutCommand},
    // ImportCommand.cpp
    {"records", kTester, "List the results stored on a tester, without fetching them", setupRecordsCommand},
    {"import", kTester, "Fetch every result of a tester into a folder, with host records", setupImportCommand},
    {"demo", kTester, "Import every result of a freshly stocked simulated tester", setupDemoCommand},
    {"sim", kTester, "Serve a tester simulator on 127.0.0.1 until interrupted", setupSimCommand},

    {"inspect", kResults, "List a container's sections and print its result summary", setupInspectCommand},
    {"record", kResults, "Show a result file as a person reads it, or its host record", setupRecordCommand},
    {"dump", kResults, "Print a result file, container or serialized object", setupDumpCommand},
    {"plot", kResults, "Draw a result's plots: OTDR traces, copper plots, wiremap, images", setupPlotCommand},
    {"wiremap", kResults, "Draw the wiremap of a copper result (PNG or BMP)", setupWiremapCommand},
    {"csv", kResults, "Write the tester's raw-data CSV of a result file", setupCsvCommand},
    {"sor", kResults, "Write the OTDR trace of every wavelength as an SR-4731 file", setupSorCommand},
    {"bidi", kResults, "Build the bidirectional OTDR test of an end-1 and an end-2 test", setupBidiCommand},
    {"recertify", kResults, "Judge copper results again, against their own or another limit", setupRecertifyCommand},

    {"report", kReports, "Certification report (PDF or HTML) of result files and import folders", setupReportCommand},
    {"export", kReports, "One row per record (status, worst margin, tester, ...) as CSV or JSON", setupExportCommand},
    {"serve", kReports, "Browse import folders in a web browser, and import from the page", setupServeCommand},

    // show, new, set, pull, push
    {"settings", kSetups, "Instrument settings: in a file, and to and from the tester", setupSettingsCommand},
    // show, list, pull, push
    {"project", kSetups, "Project setups: in a file, and to and from the tester", setupProjectCommand},
    // list, push, rm
    {"ids", kSetups, "Cable-id lists on the tester", setupIdsCommand},
    {"limits", kSetups, "List the limits of a copper limit database (culim.mnts)", setupLimitsCommand},
    {"limit", kSetups, "Show a serialized fiber limit through the host's view", setupLimitCommand},
    {"manifest", kSetups, "Print a database package's version and firmware requirement", setupManifestCommand},

    // UpdateCommand.cpp; info, logs and screen in MaintenanceCommands.cpp
    {"update", kMaintenance, "Install a software update package on the tester", setupUpdateCommand},
    {"info", kMaintenance, "Print the tester's software report and calibration date", setupInfoCommand},
    {"logs", kMaintenance, "Fetch the tester's logs as a ZIP archive", setupLogsCommand},
    {"screen", kMaintenance, "Capture the tester's screen as a PNG or PPM picture", setupScreenCommand},
};

// Edits (insert, delete, replace, swap of neighbours) from `a` to `b`.
size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

std::string pathOf(const CLI::App* app) {
    std::string path;
    for (; app != nullptr; app = app->get_parent()) path = app->get_name() + (path.empty() ? "" : " ") + path;
    return path;
}

// The deepest command the arguments chose.
const CLI::App* chosen(const CLI::App& app) {
    const CLI::App* at = &app;
    for (;;) {
        const auto subs = at->get_subcommands();
        if (subs.empty()) return at;
        at = subs.front();
    }
}

void printError(const std::string& reason, const std::string& hint) {
    std::string text = reason;
    if (!hint.empty()) {
        // After the first line: a list of inputs may follow it.
        const size_t nl = text.find('\n');
        text.insert(nl == std::string::npos ? text.size() : nl, "; " + hint);
    }
    std::cerr << "kestrix: " << text << '\n';
}

// Walks the command words of the arguments. A word where a command must stand that names none is refused
// with the nearest name; a command of commands given nothing more prints its list. -1 when the arguments
// may be parsed.
int checkCommandWords(const CLI::App& app, int argc, char** argv) {
    const CLI::App* at = &app;
    for (int i = 1;; ++i) {
        const bool needsCommand = at->get_require_subcommand_min() > 0;
        if (i >= argc) {
            if (!needsCommand) return -1;
            std::cout << at->help(at->get_parent() ? pathOf(at->get_parent()) : "");
            return kExitUsage;
        }
        const std::string word = argv[i];
        if (!word.empty() && word[0] == '-') return -1;
        const auto subs = at->get_subcommands([](const CLI::App*) { return true; });
        const auto named =
            std::find_if(subs.begin(), subs.end(), [&](const CLI::App* s) { return s->check_name(word); });
        if (named != subs.end()) {
            at = *named;
            continue;
        }
        if (!needsCommand) return -1;
        std::string nearest;
        size_t best = word.size() >= 4 ? 2 : 1;
        for (const CLI::App* s : subs) {
            const size_t d = editDistance(word, s->get_name());
            if (d <= best) {
                best = d;
                nearest = s->get_name();
            }
        }
        printError(
            "unknown command \"" + printable(word) + "\"" + (nearest.empty() ? "" : " (did you mean " + nearest + "?)"),
            "see " + pathOf(at) + " --help");
        return kExitUsage;
    }
}

}  // namespace

void setupCommands(CLI::App& app) {
    for (const CommandEntry& c : kCommands) {
        CLI::App* cmd = app.add_subcommand(c.name, c.summary);
        c.setup(cmd);
        // Set last: the commands a setup adds below would take the group over.
        cmd->group(c.group);
    }
}

void registerPrinters() {
    // Classes sharing a type id are tried in the order they were registered; each area keeps its own order.
    static const bool registered = [] {
        registerCopperDumpers();
        registerCopperLimitDumpers();
        registerEnvelopeDumpers();
        registerFiberDumpers();
        registerFiberOtdrDumpers();
        registerManifestDumpers();
        registerStorageDumpers();
        return true;
    }();
    (void)registered;
}

int run(int argc, char** argv) {
    CLI::App app{"Results, setups and maintenance for the tester family", "kestrix"};
    app.set_version_flag("--version", versionText());
    app.require_subcommand(1);
    registerPrinters();
    setupCommands(app);
    // Used by the build to write the man page and the completion script; not shown in the help.
    app.add_flag_callback("--man-page",
                          [&app] {
                              std::cout << manPage(app, KESTRIX_VERSION);
                              throw CLI::Success();
                          })
        ->group("");
    app.add_flag_callback("--bash-completion",
                          [&app] {
                              std::cout << bashCompletion(app);
                              throw CLI::Success();
                          })
        ->group("");
    if (const int code = checkCommandWords(app, argc, argv); code >= 0) return code;
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        // Also the help and version requests, which derive from it; exit() tells them apart by name.
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::string what = e.what();
        // "The following argument ..." reads on after "kestrix: "; "FILE is required" keeps its capitals.
        if (what.size() > 1 && what[0] >= 'A' && what[0] <= 'Z' && what[1] >= 'a' && what[1] <= 'z')
            what[0] = static_cast<char>(what[0] - 'A' + 'a');
        printError(what, "see " + pathOf(chosen(app)) + " --help");
        return kExitUsage;
    } catch (const UsageError& e) {
        printError(e.what(), "see " + pathOf(chosen(app)) + " --help");
        return kExitUsage;
    } catch (const BadInput& e) {
        printError(e.what(), e.hint());
        return kExitFailed;
    } catch (const std::exception& e) {
        printError(e.what(), "");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace kx::cli

// The tests build the table without this entry point.
#ifndef KESTRIX_CLI_TABLE_ONLY
int main(int argc, char** argv) { return kx::cli::run(argc, argv); }
#endif
