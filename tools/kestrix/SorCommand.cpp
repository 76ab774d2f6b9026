// `kestrix sor FILE [--end 1|2] -o PREFIX`: the OTDR trace of every wavelength as an SR-4731 file.
#include <iostream>
#include <memory>
#include <string>

#include "Command.h"
#include "CommandTable.h"
#include "DumpRegistry.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberResultReader.h"
#include "fiber/SorFiles.h"

namespace kx::cli {

namespace {

const Kestrix::FiberOtdrTest* findOtdr(const Kestrix::FiberResult& result, int end) {
    for (const auto& t : result.tests) {
        if (!t || t->testKind() != Kestrix::FiberTest::Kind::otdr) continue;
        const auto type = t->summary.testType;
        if (end == 1 && type != Kestrix::FiberTestType::otdrEnd1) continue;
        if (end == 2 && type != Kestrix::FiberTestType::otdrEnd2) continue;
        return static_cast<const Kestrix::FiberOtdrTest*>(t.get());
    }
    return nullptr;
}

}  // namespace

void setupSorCommand(CLI::App* cmd) {
    struct Opts {
        std::string file, prefix;
        int end = 0;
    };
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Fiber result file")->required();
    cmd->add_option("-o,--out", opts->prefix, "Prefix of the files to write (PREFIX-<wavelength>.sor)")->required();
    cmd->add_option("--end", opts->end, "OTDR test of end 1 or end 2 (default: the first OTDR test)")
        ->check(CLI::Range(1, 2));
    addQuietFlag(cmd);
    cmd->callback([opts] {
        const auto bytes = readInputFile(opts->file);
        Kestrix::FiberResult result;
        const auto st =
            Kestrix::FiberResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
        if (st != Kestrix::ResultReaderStatus::success)
            throw BadInput(opts->file + ": not a readable fiber result file: " + Kestrix::toString(st));
        const Kestrix::FiberOtdrTest* test = findOtdr(result, opts->end);
        if (!test) {
            const std::string which = opts->end == 1   ? "\"OTDR End 1\" test"
                                      : opts->end == 2 ? "\"OTDR End 2\" test"
                                                       : "OTDR test";
            throw BadInput(opts->file + ": no " + which + " in the result");
        }
        const auto written = Kestrix::writeSorFiles(*test, result.summary.getResultName(), opts->prefix);
        if (!written.ok) throw BadInput(written.error);
        for (const auto& path : written.paths) announceWritten(path);
    });
}

}  // namespace kx::cli
