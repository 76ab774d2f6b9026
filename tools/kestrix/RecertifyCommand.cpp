// `kestrix recertify FILE -o NEW [--nvp N]`: judges a copper result again against its own stored limit;
// with `--limit-db DB_FOLDER --limit NAME` against another limit of a copper limit database.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>
#include <memory>

#include "Command.h"
#include "CommandTable.h"
#include "copper/CopperLimit.h"
#include "copper/CopperResultReader.h"
#include "copper/CopperResultWriter.h"
#include "tester/db/CopperLimitsTbl.h"
#include "tester/record/TestRecordTarvel.h"

namespace {

struct Opts {
    std::string file, out, limitDb, limit;
    float nvp = std::numeric_limits<float>::quiet_NaN();
};

void againstOwnLimit(const Opts& opts, const std::vector<uint8_t>& bytes) {
    Kestrix::CopperResult result;
    const auto st = Kestrix::CopperResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (st != Kestrix::ResultReaderStatus::success)
        throw kx::cli::BadInput(std::string("cannot read the copper result: ") + Kestrix::toString(st));
    const Kestrix::CopperTestPtr test = result.getCopperTest();
    if (!test) throw kx::cli::BadInput("the result holds no copper test");
    if (!test->hasLimit()) throw kx::cli::BadInput("the copper test has no stored limit to judge it against");

    const Kestrix::Status before = test->body.status;
    const Kestrix::Status after = test->recertify(opts.nvp);
    if (!std::isnan(opts.nvp)) test->body.settings.nvp = Kestrix::ScaledInt(opts.nvp, Kestrix::ScaledInt::tenths);
    result.mergeCopperTest(test, true);
    const auto out = Kestrix::CopperResultWriter::writeResult(result);
    if (out.empty()) throw kx::cli::BadInput("cannot write the new result");
    kx::cli::writeOutputFile(opts.out, out);
    std::cout << "old status: " << Kestrix::toString(before) << '\n'
              << "new status: " << Kestrix::toString(after) << '\n';
}

void againstDatabaseLimit(const Opts& opts, std::vector<uint8_t> bytes) {
    // The database's own version: the record loads only a database of the version it is asked for.
    Kestrix::Tester::CopperLimitsTbl table;
    const std::string path = Kestrix::Tester::CopperLimitsTbl::pathIn(opts.limitDb);
    if (table.Open(path) != Kestrix::Tester::SQLiteTbl::kOpened)
        throw kx::cli::BadInput("not a copper limit database: " + path + " (" + table.lastError() + ")");
    Kestrix::CopperLimit first;
    std::string why;
    if (!table.openFirstLimit(first, &why)) throw kx::cli::BadInput("the copper limit database cannot be read: " + why);
    const std::string version = first.getDbPkgMfstSummary().getVersionString();

    Kestrix::Tester::TestRecordTarvel record(bytes);
    if (!record.InitSpecDb(opts.limitDb, version))
        throw kx::cli::BadInput("the copper limit database cannot be loaded: " + path);
    const auto res = record.Recertify(record.SerializedResult(), opts.limit, opts.nvp);
    if (!res) throw kx::cli::BadInput("the copper limit database is not loaded");
    if (res->rcStatus != 0) {
        std::string reason = Kestrix::Tester::ReCertStatusName(res->rcStatus);
        if (res->rcStatus == 2) {
            if (record.GetCopperTest() == nullptr)
                reason += ": the file is no copper result with a copper test";
            else if (!record.SpecDb()->Find("name", opts.limit))
                reason += ": no limit named \"" + opts.limit + "\" in the database";
            else
                reason += ": the limit cannot be opened or the new result cannot be written";
        }
        throw kx::cli::BadInput("cannot recertify (status " + std::to_string(res->rcStatus) + "): " + reason);
    }
    kx::cli::writeOutputFile(opts.out, res->newData);
    Kestrix::Tester::TestRecordTarvel fresh(res->newData);
    const Kestrix::CopperTest* test = fresh.GetCopperTest();
    // The smallest margin of the judged frequency results (any pass or fail status: bits 4 to 64).
    double margin = std::numeric_limits<double>::infinity();
    if (test != nullptr)
        for (const Kestrix::CopperFreq& f : test->body.copperfreqs.freqs) {
            const int bits = static_cast<int>(f.status);
            const Kestrix::ScaledInt m = f.getWmMargin();
            if ((bits & 0x7C) != 0 && m.isFinite()) margin = std::min(margin, m.toDouble());
        }
    char marginText[32] = "none";
    if (std::isfinite(margin)) std::snprintf(marginText, sizeof marginText, "%.1f dB", margin);
    std::cout << "limit: " << opts.limit << '\n'
              << "new status: "
              << (fresh.GetCopperResult() ? Kestrix::toString(fresh.GetCopperResult()->summary.status) : "?")
              << " (host " << res->testStatus << ")\n"
              << "worst margin: " << marginText << '\n';
}

}  // namespace

namespace kx::cli {

void setupRecertifyCommand(CLI::App* cmd) {
    auto opts = std::make_shared<Opts>();
    cmd->add_option("FILE", opts->file, "Copper result file")->required()->check(CLI::ExistingFile);
    cmd->add_option("-o,--out", opts->out, "Result file to write")->required();
    cmd->add_option("--nvp", opts->nvp, "NVP in percent of the speed of light (lengths are recomputed)");
    auto* db = cmd->add_option("--limit-db", opts->limitDb, "Folder holding the copper limit database culim.mnts")
                   ->check(CLI::ExistingDirectory);
    auto* limit = cmd->add_option("--limit", opts->limit, "Name of the limit in the database");
    db->needs(limit);
    limit->needs(db);
    cmd->callback([opts] {
        if (!std::isnan(opts->nvp) && !(opts->nvp > 0.0f && opts->nvp <= 100.0f))
            throw kx::cli::BadInput("the NVP must lie above 0 and at most 100 percent");
        auto bytes = kx::cli::readInputFile(opts->file);
        if (opts->limitDb.empty())
            againstOwnLimit(*opts, bytes);
        else
            againstDatabaseLimit(*opts, std::move(bytes));
    });
}

}  // namespace kx::cli
