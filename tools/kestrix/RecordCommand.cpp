// `kestrix record FILE [--json]`: the host record of one result file.
#include <iostream>

#include "Command.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/HostRecordText.h"
#include "tester/record/TestRecordTarvel.h"

namespace kx::cli {

namespace {

CommandRegistration reg([](CLI::App& app) {
    struct Opts {
        std::string file;
        bool json = false;
    };
    auto opts = std::make_shared<Opts>();
    auto* cmd = app.add_subcommand("record", "Show the host record of a result file (what import writes beside it)");
    cmd->add_option("FILE", opts->file, "Result file")->required()->check(CLI::ExistingFile);
    cmd->add_flag("--json", opts->json, "Print the host record as JSON");
    cmd->callback([opts] {
        Kestrix::Tester::TestRecordTarvel record(readInputFile(opts->file));
        Kestrix::Tester::RecordSummary summary;
        if (!Kestrix::Tester::TestRecordTarvel::LoadSummary(&summary, record.SerializedResult()) ||
            record.SerializedResult().empty())
            throw BadInput("not a readable result file: " + opts->file);
        if (opts->json)
            std::cout << Kestrix::Tester::hostRecordJsonText(Kestrix::Tester::hostRecordJson(record));
        else
            std::cout << Kestrix::Tester::hostRecordText(record);
    });
});

}  // namespace

}  // namespace kx::cli
