// `kestrix recertify INPUT... --out NEW|DIR`: judges copper results again, against their own stored limit or
// (--limit-db DB_FOLDER --limit NAME) a limit of a copper limit database. One file gives one new file; several
// files or folders give new files in DIR, laid out as the inputs were, originals untouched.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>

#include <json/reader.h>

#include "Command.h"
#include "CommandTable.h"
#include "tester/import/OutputFile.h"
#include "tester/session/TarvelCom.h"
#include "copper/CopperLimit.h"
#include "copper/CopperResultReader.h"
#include "copper/CopperResultWriter.h"
#include "tester/db/CopperLimitsTbl.h"
#include "tester/host/HostStatus.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/RecordMargins.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/report/Chart.h"

namespace kx::cli {

namespace {

namespace fs = std::filesystem;
using Kestrix::Import::Durability;
using Kestrix::Import::makeFolderInside;
using Kestrix::Import::syncFileSystem;
using Kestrix::Import::writeAtomically;
using Kestrix::Tester::TestRecordTarvel;

struct Opts {
    std::vector<std::string> inputs;
    std::string out, limitDb, limit;
    float nvp = std::numeric_limits<float>::quiet_NaN();
    bool json = false;
};

// One result to judge: where it is and where its new file goes (relative to DIR, or the file given).
struct Job {
    fs::path input;
    fs::path output;
};

// What came of one result.
struct Outcome {
    Job job;
    std::string cableId;
    int before = Kestrix::Tester::kHostStatusUnknown, after = Kestrix::Tester::kHostStatusUnknown;
    std::string worst;  // the new worst margin, described
    bool judged = false;
    bool skipped = false;  // not a copper result
    std::string error;     // why it could not be judged
};

// A limit of a copper limit database, loaded once for every record.
struct DatabaseLimit {
    std::string folder, name, version;
};

DatabaseLimit openDatabase(const Opts& o) {
    Kestrix::Tester::CopperLimitsTbl table;
    const std::string path = Kestrix::Tester::CopperLimitsTbl::pathIn(o.limitDb);
    if (table.Open(path) != Kestrix::Tester::SQLiteTbl::kOpened)
        throw BadInput("not a copper limit database: " + path + " (" + table.lastError() + ")",
                       "give the folder that holds culim.mnts");
    Kestrix::CopperLimit first;
    std::string why;
    if (!table.openFirstLimit(first, &why)) throw BadInput("the copper limit database cannot be read: " + why);
    // The database's own version: the record loads only a database of the version it is asked for.
    return {o.limitDb, o.limit, first.getDbPkgMfstSummary().getVersionString()};
}

// New bytes judged against the result's own limit; throws BadInput with the reason.
std::vector<uint8_t> againstOwnLimit(const std::vector<uint8_t>& bytes, float nvp) {
    Kestrix::CopperResult result;
    const auto st = Kestrix::CopperResultReader::readResult(result, bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (st != Kestrix::ResultReaderStatus::success)
        throw BadInput(std::string("cannot read the copper result: ") + Kestrix::toString(st));
    const Kestrix::CopperTestPtr test = result.getCopperTest();
    if (!test) throw BadInput("the result holds no copper test");
    if (!test->hasLimit()) throw BadInput("the copper test has no stored limit to judge it against");
    test->recertify(nvp);
    if (!std::isnan(nvp)) test->body.settings.nvp = Kestrix::ScaledInt(nvp, Kestrix::ScaledInt::tenths);
    result.mergeCopperTest(test, true);
    auto out = Kestrix::CopperResultWriter::writeResult(result);
    if (out.empty()) throw BadInput("cannot write the new result");
    return out;
}

std::vector<uint8_t> againstDatabaseLimit(TestRecordTarvel& record, const DatabaseLimit& db, float nvp) {
    if (!record.InitSpecDb(db.folder, db.version))
        throw BadInput("the copper limit database cannot be loaded: " + db.folder);
    const auto res = record.Recertify(record.SerializedResult(), db.name, nvp);
    if (!res) throw BadInput("the copper limit database is not loaded");
    if (res->rcStatus == 0) return res->newData;
    std::string reason = Kestrix::Tester::ReCertStatusName(res->rcStatus);
    if (res->rcStatus == 2) {
        if (record.GetCopperTest() == nullptr)
            reason += ": the file holds no copper test";
        else if (!record.SpecDb()->Find("name", db.name))
            reason += ": no limit named \"" + printable(db.name) + "\" in the database";
        else
            reason += ": the limit cannot be opened or the new result cannot be written";
    }
    throw BadInput("cannot recertify (status " + std::to_string(res->rcStatus) + "): " + reason);
}

int storedStatus(const std::vector<uint8_t>& bytes, std::string* cableId = nullptr) {
    Kestrix::Tester::RecordSummary s;
    if (!TestRecordTarvel::LoadSummary(&s, bytes)) return Kestrix::Tester::kHostStatusUnknown;
    if (cableId) *cableId = s.CableID;
    return s.Status;
}

// The host record the importer wrote beside the input, when there is one: its project and site go into the
// new one.
void writeHostRecord(const fs::path& input, const fs::path& output, const std::vector<uint8_t>& bytes) {
    fs::path old = input;
    old.replace_extension(".json");
    std::ifstream in(old, std::ios::binary);
    if (!in) return;
    Json::Value before;
    std::string errors;
    if (!Json::parseFromStream(Json::CharReaderBuilder(), in, &before, &errors) || !before.isObject()) return;
    TestRecordTarvel fresh(bytes);
    const Json::Value& meta = before["RecordMetaData"];
    const auto text = [&](const char* key) {
        return meta.isObject() && meta[key].isString() ? meta[key].asString() : "";
    };
    Kestrix::Tester::TarvelCom::setImportedMetaData(fresh, text("Project"), text("Site"));
    fs::path target = output;
    target.replace_extension(".json");
    // In the form the import writes, so a re-judged folder reads like an imported one.
    writeAtomically(target, Kestrix::Tester::hostRecordFile(fresh), Durability::Later);
}

Outcome judge(const Job& job, const Opts& o, const DatabaseLimit* db, const fs::path& root) {
    Outcome r;
    r.job = job;
    try {
        const auto bytes = readInputFile(job.input.string());
        r.before = storedStatus(bytes, &r.cableId);
        TestRecordTarvel record(bytes);
        if (record.SerializedResult().empty() || !record.ExtractMetaDataFromResult())
            throw BadInput("not a readable result file");
        if (!record.IsCopper()) {
            r.skipped = true;
            return r;
        }
        const auto fresh = db ? againstDatabaseLimit(record, *db, o.nvp) : againstOwnLimit(bytes, o.nvp);
        r.after = storedStatus(fresh);
        TestRecordTarvel judged(fresh);
        const auto margins = Kestrix::Tester::recordMargins(judged);
        // A change is named by what fails, when something does (a length is not in dB, so it is never the
        // worst margin), else by the worst margin.
        const Kestrix::Tester::JudgedFigure* failing = nullptr;
        for (const auto& f : margins.figures)
            if (f.negative() && (!failing || (f.unit == failing->unit && f.margin < failing->margin))) failing = &f;
        if (failing)
            r.worst = Kestrix::Tester::describeMargin(*failing);
        else if (margins.worst)
            r.worst = Kestrix::Tester::describeMargin(*margins.worst);
        if (root.empty()) {
            writeOutputFile(job.output.string(), fresh);
        } else {
            const fs::path target = makeFolderInside(root, job.output.parent_path()) / job.output.filename();
            std::error_code ec;
            if (fs::equivalent(target, job.input, ec)) throw BadInput("the new file would replace the original");
            writeAtomically(target, fresh, Durability::Later);
            writeHostRecord(job.input, target, fresh);
        }
        r.judged = true;
    } catch (const std::exception& e) {
        r.error = e.what();
    }
    return r;
}

// Files named as they are; folders searched for "*.result", each kept at its place below the folder.
std::vector<Job> jobsOf(const std::vector<std::string>& inputs, std::string& error) {
    std::vector<Job> jobs;
    for (const std::string& in : inputs) {
        std::error_code ec;
        if (fs::is_regular_file(in, ec)) {
            jobs.push_back({in, fs::path(in).filename()});
            continue;
        }
        if (!fs::is_directory(in, ec)) {
            error = "no such file or folder: " + in;
            return {};
        }
        std::vector<Job> found;
        for (fs::recursive_directory_iterator it(in, fs::directory_options::skip_permission_denied, ec), end;
             !ec && it != end; it.increment(ec))
            if (it->is_regular_file(ec) && it->path().extension() == ".result")
                found.push_back({it->path(), it->path().lexically_relative(in)});
        if (ec) {
            error = "cannot list " + in + ": " + ec.message();
            return {};
        }
        std::sort(found.begin(), found.end(), [](const Job& a, const Job& b) { return a.output < b.output; });
        jobs.insert(jobs.end(), found.begin(), found.end());
    }
    if (jobs.empty()) error = "no result files in the input";
    return jobs;
}

std::string line(const Outcome& r) {
    const std::string id = printable(r.cableId.empty() ? r.job.input.filename().string() : r.cableId);
    std::string s = id + ": " + Kestrix::Report::statusWord(r.before) + " -> " + Kestrix::Report::statusWord(r.after);
    if (r.before == r.after) s = id + ": " + Kestrix::Report::statusWord(r.after) + " (unchanged)";
    if (!r.worst.empty()) s += ", " + printable(r.worst);
    return s;
}

Json::Value outcomeJson(const Outcome& r) {
    Json::Value v(Json::objectValue);
    v["input"] = r.job.input.string();
    v["output"] = r.judged ? Json::Value(r.job.output.string()) : Json::Value();
    v["cableId"] = r.cableId;
    v["before"] = Kestrix::Report::statusWord(r.before);
    v["beforeCode"] = r.before;
    v["after"] = r.judged ? Json::Value(Kestrix::Report::statusWord(r.after)) : Json::Value();
    v["afterCode"] = r.judged ? Json::Value(r.after) : Json::Value();
    v["changed"] = r.judged && r.before != r.after;
    v["worstMargin"] = r.worst.empty() ? Json::Value() : Json::Value(r.worst);
    v["skipped"] = r.skipped;
    v["error"] = r.error.empty() ? Json::Value() : Json::Value(r.error);
    return v;
}

// What a run came to: counts of each outcome and of each change of verdict ("PASS -> FAIL").
struct Tally {
    size_t judged = 0, skipped = 0, failed = 0, changed = 0;
    std::map<std::string, size_t> changes;

    void add(const Outcome& r) {
        if (r.skipped) {
            ++skipped;
        } else if (!r.judged) {
            ++failed;
        } else {
            ++judged;
            if (r.before != r.after) {
                ++changed;
                ++changes[std::string(Kestrix::Report::statusWord(r.before)) + " -> " +
                          Kestrix::Report::statusWord(r.after)];
            }
        }
    }

    // "3 results judged again: 1 changed (1 PASS -> FAIL), 2 unchanged; ..."
    std::string text() const {
        std::string kinds;
        for (const auto& [what, n] : changes) kinds += (kinds.empty() ? "" : ", ") + std::to_string(n) + " " + what;
        std::string totals = std::to_string(judged) + (judged == 1 ? " result" : " results") +
                             " judged again: " + std::to_string(changed) + " changed" +
                             (kinds.empty() ? "" : " (" + kinds + ")") + ", " + std::to_string(judged - changed) +
                             " unchanged";
        if (skipped) totals += "; " + std::to_string(skipped) + " not copper, left out";
        if (failed) totals += "; " + std::to_string(failed) + " could not be judged";
        return totals;
    }

    Json::Value json(const std::vector<Outcome>& outcomes) const {
        Json::Value v(Json::objectValue);
        Json::Value list(Json::arrayValue);
        for (const Outcome& r : outcomes) list.append(outcomeJson(r));
        v["results"] = list;
        v["judged"] = Json::UInt64(judged);
        v["changed"] = Json::UInt64(changed);
        v["notCopper"] = Json::UInt64(skipped);
        v["failed"] = Json::UInt64(failed);
        return v;
    }
};

void recertify(const Opts& o) {
    if (!std::isnan(o.nvp) && !(o.nvp > 0.0f && o.nvp <= 100.0f))
        throw UsageError("the NVP must lie above 0 and at most 100 percent");
    std::string error;
    std::vector<Job> jobs = jobsOf(o.inputs, error);
    if (!error.empty()) throw BadInput(error);
    std::error_code ec;
    const bool one = o.inputs.size() == 1 && fs::is_regular_file(o.inputs.front(), ec) && !fs::is_directory(o.out, ec);
    const std::unique_ptr<DatabaseLimit> db =
        o.limitDb.empty() ? nullptr : std::make_unique<DatabaseLimit>(openDatabase(o));
    fs::path root;
    if (one) {
        jobs.front().output = o.out;
    } else {
        fs::create_directories(o.out, ec);
        if (!fs::is_directory(o.out, ec)) throw BadInput("cannot make the folder " + o.out);
        root = fs::canonical(o.out);
    }
    std::vector<Outcome> outcomes;
    Tally tally;
    for (const Job& job : jobs) {
        outcomes.push_back(judge(job, o, db.get(), root));
        const Outcome& r = outcomes.back();
        tally.add(r);
        if (!r.skipped && !r.judged)
            std::cerr << "kestrix: " << printable(r.job.input.string()) << ": " << printable(r.error) << '\n';
        else if (r.judged && !o.json && (one || r.before != r.after))
            std::cout << line(r) << '\n';
    }
    if (!root.empty()) {
        try {
            syncFileSystem(root);
        } catch (const std::exception& e) {
            throw BadInput(e.what());
        }
        if (tally.judged > 0)
            announce("wrote " + std::to_string(tally.judged) + (tally.judged == 1 ? " result" : " results") + " into " +
                     o.out);
    }
    if (o.json)
        printJson(tally.json(outcomes));
    else if (!one)
        std::cout << tally.text() << '\n';
    const size_t failed = tally.failed;
    if (failed == 1 && one) throw BadInput(printable(outcomes.front().error));
    if (failed)
        throw BadInput(std::to_string(failed) + " of " + std::to_string(jobs.size()) + " results could not be judged");
    if (one && tally.skipped) throw BadInput("not a copper result: " + o.inputs.front());
}

}  // namespace

void setupRecertifyCommand(CLI::App* cmd) {
    auto opts = std::make_shared<Opts>();
    cmd->add_option("INPUT", opts->inputs, "Copper result files, or folders searched for *.result")->required();
    cmd->add_option("-o,--out", opts->out,
                    "The new result file (one input), or the folder the new files go to, laid out as the inputs")
        ->required();
    cmd->add_option("--nvp", opts->nvp, "NVP in percent of the speed of light (lengths are recomputed)");
    auto* db = cmd->add_option("--limit-db", opts->limitDb, "Folder holding the copper limit database culim.mnts");
    auto* limit = cmd->add_option("--limit", opts->limit, "Name of the limit in the database");
    db->needs(limit);
    limit->needs(db);
    addJsonFlag(cmd, opts->json);
    addQuietFlag(cmd);
    cmd->callback([opts] { recertify(*opts); });
}

}  // namespace kx::cli
