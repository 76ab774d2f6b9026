// `kestrix plot FILE -o OUT [--test NAME] [--end 1|2] [--feet]`: the plots of one result as PNG, SVG or PDF, or
// the plotted numbers of one plot as CSV.
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Csv.h"
#include "tester/report/RecordPlots.h"

namespace kx::cli {

namespace {

bool isCsv(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".csv";
}

}  // namespace

void setupPlotCommand(CLI::App* cmd) {
    struct Opts {
        std::string file, out, test;
        int end = 0;
        bool feet = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Result file")->required()->check(CLI::ExistingFile);
    cmd->add_option("-o,--out", opts->out,
                    "Picture to write: .png, .svg or .pdf (a PDF has one page per plot); or .csv: the numbers of "
                    "one plot (distance or frequency, a column per curve, the limit included)")
        ->required();
    std::string names;
    for (const auto& n : Kestrix::Report::pictureNames()) names += (names.empty() ? "" : ", ") + n;
    cmd->add_option("--test", opts->test, "Only this plot: " + names);
    cmd->add_option("--end", opts->end, "Only the tests of this end")->check(CLI::Range(1, 2));
    cmd->add_flag("--feet", opts->feet, "Distances in feet");
    cmd->callback([opts] {
        const bool csv = isCsv(opts->out);
        if (!csv && !Kestrix::Report::outputKindOf(opts->out))
            throw BadInput("the output name must end in .png, .svg, .pdf or .csv");
        Kestrix::Tester::TestRecordTarvel record(readInputFile(opts->file));
        Kestrix::Tester::RecordSummary summary;
        if (record.SerializedResult().empty() ||
            !Kestrix::Tester::TestRecordTarvel::LoadSummary(&summary, record.SerializedResult()))
            throw BadInput("not a readable result file: " + opts->file);
        Kestrix::Report::PlotOptions po;
        po.end = opts->end;
        po.feet = opts->feet;
        po.caption = Kestrix::Report::recordCaption(record);
        std::vector<Kestrix::Report::Picture> pictures = Kestrix::Report::recordPictures(record, po);
        if (!opts->test.empty()) {
            std::vector<Kestrix::Report::Picture> chosen;
            for (auto& p : pictures)
                if (p.name == opts->test) chosen.push_back(std::move(p));
            pictures = std::move(chosen);
        }
        if (pictures.empty())
            throw BadInput(opts->test.empty()
                               ? "the result holds nothing to plot: " + opts->file
                               : "the result holds no " + opts->test + " test" +
                                     (opts->end ? " at end " + std::to_string(opts->end) : "") + ": " + opts->file);
        if (csv) {
            if (pictures.size() != 1) {
                std::string which;
                for (const auto& p : pictures) which += (which.empty() ? "" : ", ") + p.name;
                throw BadInput("a CSV holds the numbers of one plot; this asks for " + std::to_string(pictures.size()) +
                               " (" + which + "): choose one with --test and --end");
            }
            if (!pictures.front().table)
                throw BadInput("the " + pictures.front().name + " plot has no curves to write");
            const std::string error = Kestrix::Report::writeFileAtomically(
                opts->out, Kestrix::Report::plotTableCsv(pictures.front().table()));
            if (!error.empty()) throw BadInput(error);
            std::cout << "the numbers of the " << pictures.front().name << " plot written to " << opts->out << "\n";
            return;
        }
        const std::string error = Kestrix::Report::writePictures(opts->out, pictures);
        if (!error.empty()) throw BadInput(error);
        std::cout << pictures.size() << (pictures.size() == 1 ? " plot" : " plots") << " written to " << opts->out
                  << "\n";
    });
}

}  // namespace kx::cli
