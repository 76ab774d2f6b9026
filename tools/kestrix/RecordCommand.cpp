// `kestrix record FILE [--json] [--plots]`: one result file as a person reads it, or its host record.
#include <iostream>

#include "Command.h"
#include "CommandTable.h"
#include "tester/record/CopperRecordJson.h"
#include "tester/record/FiberRecordJson.h"
#include "tester/record/HostEnumNames.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/RecordVerdict.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/RecordText.h"

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
        Kestrix::Tester::RecordSummary summary;
        if (!Kestrix::Tester::TestRecordTarvel::LoadSummary(&summary, record.SerializedResult()) ||
            record.SerializedResult().empty())
            throw BadInput("not a readable result file: " + opts->file, "kestrix inspect shows what it holds");
        if (opts->json || opts->plots) {
            Json::Value j = Kestrix::Tester::hostRecordJson(record);
            if (opts->plots && j.isMember("Copper") && !j["Copper"].isNull())
                j["Copper"] = Kestrix::Tester::copperTestsJson(record, true);
            if (opts->plots && j.isMember("Fiber") && !j["Fiber"].isNull())
                j["Fiber"] = Kestrix::Tester::fiberTestsJson(record, true);
            Kestrix::Tester::nameEnumerations(j);
            printJson(j);
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
