// `kestrix csv FILE OUT.csv`: the raw-data CSV of a result file.
#include <iostream>
#include <map>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "common/ResultEnvelope.h"

namespace kx::cli {

namespace {
std::map<Kestrix::ResultType, CsvExporter>& exporters() {
    static std::map<Kestrix::ResultType, CsvExporter> m;
    return m;
}

}  // namespace

void setupCsvCommand(CLI::App* cmd) {
    struct Opts {
        std::string file, out;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Result file")->required();
    cmd->add_option("OUT", opts->out, "CSV file to write")->required();
    addQuietFlag(cmd);
    cmd->callback([opts] {
        const auto bytes = readInputFile(opts->file);
        Kestrix::ResultType type = Kestrix::ResultType::NOT_SET;
        const auto st = Kestrix::readResultType(type, bytes.data(), static_cast<uint32_t>(bytes.size()));
        if (st != Kestrix::ResultReaderStatus::success)
            throw BadInput("not a readable result file: " + opts->file + " (" + Kestrix::toString(st) + ")");
        auto it = exporters().find(type);
        if (it == exporters().end())
            throw BadInput(std::string("no raw-data export for results of type ") + Kestrix::toString(type));
        writeOutputText(opts->out, it->second(bytes));
    });
}

void registerCsvExporter(Kestrix::ResultType type, CsvExporter exporter) { exporters()[type] = std::move(exporter); }

}  // namespace kx::cli
