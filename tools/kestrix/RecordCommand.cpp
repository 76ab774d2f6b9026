// `kestrix record FILE [--json] [--plots]`: one result file as a person reads it, or its host record.
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "tester/import/ImportFolder.h"
#include "tester/record/CopperRecordJson.h"
#include "tester/record/FiberRecordJson.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/RecordVerdict.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/RecordText.h"
#include "tester/session/TarvelCom.h"

namespace kx::cli {

void setupRecordCommand(CLI::App* cmd) {
    struct Opts {
        std::string file;
        bool json = false;
        bool plots = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Result file")->required();
    addJsonFlag(cmd, opts->json, "Print the host record (what import writes beside the result) as JSON");
    cmd->add_flag(
        "--plots", opts->plots,
        "Host record JSON with the copper plot data with their limit curves, the OTDR traces and SR-4731 series");
    cmd->callback([opts] {
        Kestrix::Tester::TestRecordTarvel record(readInputFile(opts->file));
        if (!record.summary())
            throw BadInput("not a readable result file: " + opts->file, "kestrix inspect shows what it holds");
        // A result of an import folder is the record the import made: its project and site are the index's.
        Kestrix::Import::ImportFolders folders;
        if (const auto* entry = folders.entryOfResult(opts->file))
            Kestrix::Tester::TarvelCom::setImportedMetaData(record, entry->project, entry->site);
        if (opts->json || opts->plots) {
            // The same bytes an import writes beside the result (with --plots, the plot series too).
            std::cout << Kestrix::Tester::hostRecordFile(record, opts->plots);
        } else {
            // Texts from the result are cleaned on the way into the page.
            std::cout << Kestrix::Report::recordText(record, opts->file);
        }
        // What could be read is printed; a record whose tests cannot be read is still a failure.
        const std::string damage = Kestrix::Tester::recordDamage(record);
        if (!damage.empty()) throw BadInput("the tests of " + opts->file + " cannot be read: " + damage);
    });
}

}  // namespace kx::cli
