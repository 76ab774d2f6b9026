// `kestrix export INPUT... -o links.csv [--json]`: one row per record, the per-link table a project manager
// opens in a spreadsheet.
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "tester/report/Canvas.h"
#include "tester/report/Export.h"
#include "tester/report/Report.h"

namespace kx::cli {

void setupExportCommand(CLI::App* cmd) {
    struct Opts {
        std::vector<std::string> inputs;
        std::string out;
        bool json = false;
        Kestrix::Report::ReportOptions select;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("INPUT", opts->inputs, "Result files, or folders searched for *.result")->required();
    cmd->add_option("-o,--out", opts->out, "Table to write: CSV (RFC 4180), or JSON with --json")->required();
    cmd->add_flag("--json", opts->json, "A JSON array of rows instead of CSV");
    cmd->add_option("--project", opts->select.project, "Only the records of this project");
    cmd->add_flag("--latest", opts->select.latest, "Only the latest test of each cable id");
    cmd->add_flag("--keep-going", opts->select.keepGoing,
                  "Write a row for each unreadable input too (and still exit 1 naming them)");
    addQuietFlag(cmd);
    cmd->callback([opts] {
        std::vector<std::string> files, unreadable;
        std::string error = Kestrix::Report::collectInputs(opts->inputs, files);
        Kestrix::Report::ReportDocument d;
        if (error.empty()) error = Kestrix::Report::buildReport(files, opts->select, d, unreadable, false);
        if (error.empty() && !unreadable.empty() && !opts->select.keepGoing)
            error = Kestrix::Report::unreadableMessage(unreadable, false);
        if (!error.empty()) throw BadInput(error);
        std::string text;
        if (opts->json)
            text = jsonText(Kestrix::Report::exportJson(d.rows));
        else
            text = Kestrix::Report::exportCsv(d.rows);
        writeOutputText(opts->out, text);
        if (!unreadable.empty()) throw BadInput(Kestrix::Report::unreadableMessage(unreadable, true));
    });
}

}  // namespace kx::cli
