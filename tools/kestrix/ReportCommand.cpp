// `kestrix report INPUT... -o report.pdf [--html] [options]`: the certification report of result files or of
// folders written by `kestrix import`.
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "tester/report/Report.h"

namespace kx::cli {

void setupReportCommand(CLI::App* cmd) {
    struct Opts {
        std::vector<std::string> inputs;
        std::string out;
        Kestrix::Report::ReportOptions report;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("INPUT", opts->inputs, "Result files, or folders searched for *.result")->required();
    cmd->add_option("-o,--out", opts->out, "Report to write")->required();
    cmd->add_option("--title", opts->report.title, "Title of the summary page");
    cmd->add_flag("--html", opts->report.html, "One self-contained HTML page with inline SVG instead of PDF");
    cmd->add_flag("--feet", opts->report.feet, "Lengths and distances in feet");
    cmd->add_option("--customer", opts->report.customer, "The customer, on the summary and every sheet");
    cmd->add_option("--contractor", opts->report.contractor, "The contractor, on the summary and every sheet");
    cmd->add_option("--operator", opts->report.operatorName, "The operator, shown where a record names none");
    cmd->add_option("--logo", opts->report.logoFile, "A PNG logo for the summary and the page headers");
    cmd->add_option("--project", opts->report.project, "Only the records of this project");
    cmd->add_flag("--fails-only", opts->report.failsOnly,
                  "Only records that failed, disagree with their own tests or are damaged (the rest are counted)");
    cmd->add_flag("--latest", opts->report.latest,
                  "Only the latest test of each cable id; the superseded re-tests are counted and listed");
    cmd->add_flag("--keep-going", opts->report.keepGoing,
                  "Write the report with a damaged row for each unreadable input (and still exit 1 naming them)");
    addQuietFlag(cmd);
    cmd->callback([opts] {
        std::vector<std::string> files, damaged;
        std::string error = Kestrix::Report::collectInputs(opts->inputs, files);
        if (error.empty()) error = Kestrix::Report::writeReport(files, opts->out, opts->report, &damaged);
        // The library's messages are cleaned text, one input a line.
        if (!error.empty()) throw BadInput(error);
        announce("wrote " + opts->out + " (" + std::to_string(files.size()) +
                 (files.size() == 1 ? " input)" : " inputs)"));
        // Written, but not every input is certified in it.
        if (!damaged.empty()) throw BadInput(Kestrix::Report::unreadableMessage(damaged, true));
    });
}

}  // namespace kx::cli
