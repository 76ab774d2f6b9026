// `kestrix plot FILE -o OUT [--test NAME] [--end 1|2] [--feet]`: the plots of one result as PNG, SVG or PDF, or
// the plotted numbers of one plot as CSV.
#include <algorithm>
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Csv.h"
#include "tester/report/RecordPlots.h"

namespace kx::cli {

namespace {

// Each name once, in order.
std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i)
        if (std::find(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(i), names[i]) ==
            names.begin() + static_cast<std::ptrdiff_t>(i))
            out += (out.empty() ? "" : ", ") + names[i];
    return out;
}

}  // namespace

void setupPlotCommand(CLI::App* cmd) {
    struct Opts {
        std::string file, out, test;
        int end = 0;
        bool feet = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Result file")->required();
    cmd->add_option("-o,--out", opts->out,
                    "Picture to write: .png, .svg or .pdf (a PDF has one page per plot); or .csv: the numbers of "
                    "one plot (distance or frequency, a column per curve, the limit included)")
        ->required();
    cmd->add_option("--test", opts->test, "Only this plot: " + joined(Kestrix::Report::pictureNames()));
    cmd->add_option("--end", opts->end, "Only the tests of this end")->check(CLI::Range(1, 2));
    cmd->add_flag("--feet", opts->feet, "Distances in feet");
    addQuietFlag(cmd);
    cmd->callback([opts] {
        const bool csv = extensionOf(opts->out) == ".csv";
        if (!csv && !Kestrix::Report::outputKindOf(opts->out))
            throw UsageError("the output name must end in .png, .svg, .pdf or .csv: " + opts->out);
        Kestrix::Tester::TestRecordTarvel record(readInputFile(opts->file));
        Kestrix::Tester::RecordSummary summary;
        if (record.SerializedResult().empty() ||
            !Kestrix::Tester::TestRecordTarvel::LoadSummary(&summary, record.SerializedResult()))
            throw BadInput("not a readable result file: " + opts->file, "kestrix inspect shows what it holds");
        Kestrix::Report::PlotOptions po;
        po.end = opts->end;
        po.feet = opts->feet;
        po.caption = Kestrix::Report::recordCaption(record);
        std::vector<Kestrix::Report::Picture> pictures = Kestrix::Report::recordPictures(record, po);
        std::vector<std::string> held;
        for (const auto& p : pictures) held.push_back(p.name);
        const std::string end = opts->end ? " at end " + std::to_string(opts->end) : "";
        if (pictures.empty()) throw BadInput("the result holds nothing to plot" + end + ": " + opts->file);
        if (!opts->test.empty()) {
            std::vector<Kestrix::Report::Picture> chosen;
            for (auto& p : pictures)
                if (p.name == opts->test) chosen.push_back(std::move(p));
            if (chosen.empty()) {
                const auto& known = Kestrix::Report::pictureNames();
                const bool exists = std::find(known.begin(), known.end(), opts->test) != known.end();
                throw BadInput((exists ? "the result holds no " + opts->test + " plot" + end
                                       : "there is no plot named \"" + printable(opts->test) + "\"") +
                                   "; this result has: " + joined(held),
                               "choose one with --test");
            }
            pictures = std::move(chosen);
        }
        if (csv) {
            if (pictures.size() != 1) {
                std::vector<std::string> which;
                for (const auto& p : pictures) which.push_back(p.name);
                throw UsageError("a CSV holds the numbers of one plot; this asks for " +
                                 std::to_string(pictures.size()) + " (" + joined(which) +
                                 "): choose one with --test and --end");
            }
            if (!pictures.front().table)
                throw BadInput("the " + pictures.front().name + " plot has no curves to write");
            writeOutputText(opts->out, Kestrix::Report::plotTableCsv(pictures.front().table()));
            return;
        }
        const std::string error = Kestrix::Report::writePictures(opts->out, pictures);
        if (!error.empty()) throw BadInput(error);
        announceWritten(opts->out);
    });
}

}  // namespace kx::cli
