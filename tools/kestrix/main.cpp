// The kestrix tool: every command it has, in the order `kestrix --help` lists them, and every printer
// `kestrix dump` and `kestrix csv` know. A command's options and work are in <Name>Command.cpp unless the
// row says otherwise.
#include <iostream>

#include "CliDocs.h"
#include "Command.h"
#include "CommandTable.h"

namespace kx::cli {

namespace {

struct CommandEntry {
    const char* name;
    const char* summary;  // its line in `kestrix --help`
    void (*setup)(CLI::App* cmd);
};

const CommandEntry kCommands[] = {
    {"bidi", "Build the bidirectional OTDR test of an end-1 and an end-2 test", setupBidiCommand},
    {"csv", "Write the raw-data CSV of a result file (the tester's raw data; see export for a table of links)",
     setupCsvCommand},
    {"dump", "Print a result file, container or serialized object as JSON or text", setupDumpCommand},
    {"export", "Write one row per record (status, worst margin, tester, ...) as CSV or JSON", setupExportCommand},
    {"ids", "Cable-id lists on the tester", setupIdsCommand},
    // ImportCommand.cpp
    {"records", "List the results stored on a tester, without fetching them", setupRecordsCommand},
    {"import", "Fetch every result of a tester into a folder, with host records", setupImportCommand},
    {"demo", "Import every result of a freshly stocked simulated tester", setupDemoCommand},
    {"inspect", "List a container's sections and print its result summary", setupInspectCommand},
    {"limit", "Show a serialized fiber limit through the host's limit view", setupLimitCommand},
    {"limits", "List the limits of a copper limit database (culim.mnts in a folder)", setupLimitsCommand},
    // MaintenanceCommands.cpp
    {"update", "Install a software update package on the tester", setupUpdateCommand},
    {"info", "Print the tester's software report and module calibration date", setupInfoCommand},
    {"logs", "Fetch the tester's logs as a ZIP archive", setupLogsCommand},
    {"screen", "Capture the tester's screen as a PNG or PPM picture", setupScreenCommand},
    {"manifest", "Print a database package's version and firmware requirement", setupManifestCommand},
    {"plot", "Draw the plots of a result: OTDR traces, copper plots, wiremap, end-face image", setupPlotCommand},
    // show; list, pull and push are in SetupsCommands.cpp
    {"project", "Projects stored on the tester", setupProjectCommand},
    {"recertify", "Judge a copper result again, against its own limit or a limit from a copper limit database",
     setupRecertifyCommand},
    {"record", "Show the host record of a result file (what import writes beside it)", setupRecordCommand},
    {"report", "Certification report (PDF, or HTML with --html) of result files and import folders",
     setupReportCommand},
    // show, new, set; pull and push are in SetupsCommands.cpp
    {"settings", "The instrument settings file exchanged with the tester", setupSettingsCommand},
    {"sim", "Serve a tester simulator on 127.0.0.1 until interrupted", setupSimCommand},
    {"sor", "Write the OTDR trace of every wavelength as an SR-4731 file", setupSorCommand},
    // TesterCommands.cpp
    {"discover", "Find testers (at --ip, else on the USB network link)", setupDiscoverCommand},
    {"sh", "Run a command in the tester's shell and print its reply", setupShCommand},
    {"ls", "List a folder on the tester (size and name)", setupLsCommand},
    {"get", "Copy a file from the tester", setupGetCommand},
    {"put", "Copy a file to the tester", setupPutCommand},
    {"wiremap", "Draw the wiremap of a copper result (BMP, or PNG for a .png name)", setupWiremapCommand},
};

}  // namespace

void setupCommands(CLI::App& app) {
    for (const CommandEntry& c : kCommands) c.setup(app.add_subcommand(c.name, c.summary));
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

}  // namespace kx::cli

// The tests build the table without this entry point.
#ifndef KESTRIX_CLI_TABLE_ONLY
int main(int argc, char** argv) {
    CLI::App app{"kestrix: results, setups and maintenance for the tester family", "kestrix"};
    app.set_version_flag("--version", kx::cli::versionText());
    app.require_subcommand(1);
    kx::cli::registerPrinters();
    kx::cli::setupCommands(app);
    // Used by the build to write the man page and the completion script; not shown in the help.
    app.add_flag_callback("--man-page",
                          [&app] {
                              std::cout << kx::cli::manPage(app, KESTRIX_VERSION);
                              throw CLI::Success();
                          })
        ->group("");
    app.add_flag_callback("--bash-completion",
                          [&app] {
                              std::cout << kx::cli::bashCompletion(app);
                              throw CLI::Success();
                          })
        ->group("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kx::cli::kExitUsage;
    } catch (const kx::cli::BadInput& e) {
        std::cerr << "kestrix: " << e.what() << '\n';
        return kx::cli::kExitBadInput;
    } catch (const std::exception& e) {
        std::cerr << "kestrix: " << e.what() << '\n';
        return kx::cli::kExitBadInput;
    }
    return kx::cli::kExitOk;
}
#endif
