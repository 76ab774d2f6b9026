#pragma once
// What main.cpp's command table names: one setup per command (it adds the options, arguments, nested
// commands and callback to the command main.cpp made), and one registration per area of dump and CSV
// printers.
#include <CLI/CLI.hpp>

namespace kx::cli {

// Adds every command of the table to `app`, in help order, each in its group.
void setupCommands(CLI::App& app);
// The whole tool: parses the arguments, runs the command and returns its exit code (see Command.h).
int run(int argc, char** argv);

void setupBidiCommand(CLI::App* cmd);
void setupCsvCommand(CLI::App* cmd);
void setupDumpCommand(CLI::App* cmd);
void setupExportCommand(CLI::App* cmd);
void setupIdsCommand(CLI::App* group);
void setupRecordsCommand(CLI::App* cmd);
void setupImportCommand(CLI::App* cmd);
void setupDemoCommand(CLI::App* cmd);
void setupInspectCommand(CLI::App* cmd);
void setupLimitCommand(CLI::App* cmd);
void setupLimitsCommand(CLI::App* cmd);
void setupUpdateCommand(CLI::App* cmd);
void setupInfoCommand(CLI::App* cmd);
void setupLogsCommand(CLI::App* cmd);
void setupScreenCommand(CLI::App* cmd);
void setupManifestCommand(CLI::App* cmd);
void setupPlotCommand(CLI::App* cmd);
void setupProjectCommand(CLI::App* group);
void setupRecertifyCommand(CLI::App* cmd);
void setupRecordCommand(CLI::App* cmd);
void setupReportCommand(CLI::App* cmd);
void setupServeCommand(CLI::App* cmd);
void setupSettingsCommand(CLI::App* group);
void setupSimCommand(CLI::App* cmd);
void setupSorCommand(CLI::App* cmd);
void setupDiscoverCommand(CLI::App* cmd);
void setupShCommand(CLI::App* cmd);
void setupLsCommand(CLI::App* cmd);
void setupGetCommand(CLI::App* cmd);
void setupPutCommand(CLI::App* cmd);
void setupWiremapCommand(CLI::App* cmd);

// The printers of `kestrix dump` and `kestrix csv`: one registration per Dump*.cpp file, made once however
// often this is called.
void registerPrinters();
void registerCopperDumpers();
void registerCopperLimitDumpers();
void registerEnvelopeDumpers();
void registerFiberDumpers();
void registerFiberOtdrDumpers();
void registerManifestDumpers();
void registerStorageDumpers();

}  // namespace kx::cli
