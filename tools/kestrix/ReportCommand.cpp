// `kestrix report INPUT... -o report.pdf [--title TEXT] [--html]`: the certification report of result files
// or of folders written by `kestrix import`.
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
    cmd->callback([opts] {
        std::vector<std::string> files;
        std::string error = Kestrix::Report::collectInputs(opts->inputs, files);
        if (error.empty()) error = Kestrix::Report::writeReport(files, opts->out, opts->report);
        if (!error.empty()) throw BadInput(error);
        std::cout << "report of " << files.size() << (files.size() == 1 ? " record" : " records") << " written to "
                  << opts->out << "\n";
    });
}

}  // namespace kx::cli
