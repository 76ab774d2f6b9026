// `kestrix bidi FILE [FILE2]`: the bidirectional test of the end-1 and end-2 OTDR tests of one or two
// result files, printed as JSON, or why it cannot be built. With --host: the host's bidirectional test, as
// the record gives it.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "fiber/FiberOtdrBidiAvg.h"
#include "fiber/FiberResultReader.h"
#include "tester/record/HostEnumNames.h"
#include "tester/record/TestRecordTarvel.h"

namespace kx::cli {

namespace {

Kestrix::FiberResult readFiberResult(const std::string& path) {
    const auto bytes = readInputFile(path);
    Kestrix::FiberResult result;
    const auto st = Kestrix::FiberResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (st != Kestrix::ResultReaderStatus::success)
        throw BadInput(path + ": not a readable fiber result file: " + Kestrix::toString(st));
    return result;
}

const Kestrix::FiberOtdrTest* findOtdr(const std::vector<Kestrix::FiberResult>& results, Kestrix::FiberTestType type) {
    for (const auto& r : results) {
        const Kestrix::FiberTest* t = r.getTest(type);
        if (t && t->testKind() == Kestrix::FiberTest::Kind::otdr) return static_cast<const Kestrix::FiberOtdrTest*>(t);
    }
    return nullptr;
}

void printHostBidi(const std::string& file, const std::string& file2) {
    using Kestrix::Tester::TestRecordTarvel;
    TestRecordTarvel record(readInputFile(file));
    if (record.GetFiberResult() == nullptr) throw BadInput(file + ": not a readable fiber result file");
    TestRecordTarvel::BidirAvgOutcome outcome;
    if (file2.empty()) {
        outcome = record.GenerateOtdrBidirAvgFromResult();
    } else {
        TestRecordTarvel other(readInputFile(file2));
        if (other.GetFiberResult() == nullptr) throw BadInput(file2 + ": not a readable fiber result file");
        outcome = record.GenerateOtdrBidirAvgFromResult(&other);
    }
    if (!outcome.Test)
        throw BadInput("cannot build the bidirectional test: host error " + std::to_string(outcome.ErrorId));
    Json::Value j = outcome.Test->toJson();
    Kestrix::Tester::nameEnumerations(j);
    printJson(j);
}

}  // namespace

void setupBidiCommand(CLI::App* cmd) {
    struct Opts {
        std::string file, file2;
        uint32_t detail = 1;
        bool host = false;
        bool json = false;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Result file")->required();
    cmd->add_option("FILE2", opts->file2, "Second result file");
    cmd->add_option("--detail", opts->detail, "Detail level 0, 1 or 2")->check(CLI::Range(0, 2));
    addJsonFlag(cmd, opts->json, "Print the test's JSON form instead of the text dump");
    cmd->add_flag("--host", opts->host, "Print the host's bidirectional test (JSON) built through the record");
    cmd->callback([opts] {
        if (opts->host) {
            printHostBidi(opts->file, opts->file2);
            return;
        }
        std::vector<Kestrix::FiberResult> results;
        results.push_back(readFiberResult(opts->file));
        if (!opts->file2.empty()) results.push_back(readFiberResult(opts->file2));
        const auto* end1 = findOtdr(results, Kestrix::FiberTestType::otdrEnd1);
        const auto* end2 = findOtdr(results, Kestrix::FiberTestType::otdrEnd2);
        if (!end1) throw BadInput("no \"OTDR End 1\" test in the given file(s)");
        if (!end2) throw BadInput("no \"OTDR End 2\" test in the given file(s)");
        const auto merged = Kestrix::createBidiTest(*end1, *end2);
        if (const auto* error = std::get_if<Kestrix::OtdrBidiError>(&merged)) {
            throw BadInput("cannot build the bidirectional test: error " +
                           std::to_string(static_cast<int32_t>(*error)) + ": " + Kestrix::describe(*error));
        }
        const auto& test = *std::get<std::unique_ptr<Kestrix::FiberOtdrTest>>(merged);
        DumpOptions d;
        d.json = opts->json;
        d.flags = Dump::DumpFlags{opts->detail};
        printModel(test, &test, d, std::cout);
    });
}

}  // namespace kx::cli
