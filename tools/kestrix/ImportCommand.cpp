// kestrix records | import | demo: the tester's stored results, fetched and written to a local folder. The job
// itself is the library's (tester/import); these commands fill its options and print what it did.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include <json/reader.h>

#include "Command.h"
#include "CommandTable.h"
#include "SimStock.h"
#include "TesterLink.h"
#include "TesterSim.h"
#include "common/Status.h"
#include "tester/import/ImportJob.h"

namespace {

using kx::cli::BadInput;
using kx::cli::printable;
namespace imp = Kestrix::Import;

// The listing's problem with the session's own words when they add something.
std::string listingProblem(const imp::Catalog& c, const kx::cli::QuietLog& log) {
    std::string problem = c.problem;
    if (!problem.empty() && !log.last().empty() && problem.find(log.last()) == std::string::npos)
        problem += " (" + log.last() + ")";
    return problem;
}

void printGaps(const std::vector<Kestrix::Tester::ListingGap>& gaps) {
    for (const auto& g : gaps) std::fprintf(stderr, "kestrix: not listed: %s\n", imp::describe(g).c_str());
}

// The catalog as a table on stdout.
void printCatalog(const imp::Catalog& c) {
    std::printf("%-20s %-16s %-20s %-20s %-16s %10s %9s\n", "PROJECT", "SITE", "CABLE ID", "DATE", "STATUS", "LENGTH",
                "SIZE");
    for (const auto& s : c.summaries) {
        char length[32] = "-";
        if (std::isfinite(s.lengthM)) std::snprintf(length, sizeof length, "%.1f m", s.lengthM);
        const char* status = Kestrix::toString(static_cast<Kestrix::Status>(s.status));
        std::printf("%-20s %-16s %-20s %-20s %-16s %10s %9lld\n", printable(s.project).c_str(),
                    printable(s.site).c_str(), printable(s.id).c_str(),
                    Kestrix::Tester::HxDataDate::ToIso8601(Kestrix::Tester::HxDataDate::From1970(s.timet)).c_str(),
                    *status ? status : std::to_string(s.status).c_str(), length, static_cast<long long>(s.fileSize));
    }
}

void records(const kx::cli::TesterLink& link, bool json) {
    kx::cli::QuietLog log;
    imp::Catalog c;
    try {
        c = imp::readCatalog(kx::cli::importAddress(link));
    } catch (const std::runtime_error& e) {
        throw BadInput(e.what() + log.reason());
    }
    if (c.summaries.empty() && !c.problem.empty()) throw BadInput(listingProblem(c, log));
    if (json)
        kx::cli::printJson(imp::catalogJson(c));
    else
        printCatalog(c);
    if (c.gaps.empty()) return;
    printGaps(c.gaps);
    throw BadInput(std::to_string(c.summaries.size()) + " records listed; " + imp::unlistedText(c.gaps));
}

std::string mb(uint64_t bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return buf;
}

// Records done of total, bytes and rate, redrawn in place at most ten times a second; only on a terminal.
class ProgressLine {
public:
    explicit ProgressLine(bool wanted) : _on(wanted && isatty(2)), _start(Clock::now()) {}
    ~ProgressLine() {
        if (_drawnOnce) std::fprintf(stderr, "\n");
    }
    imp::ImportProgressFn callback() {
        if (!_on) return nullptr;
        return [this](const imp::ImportProgress& p) { draw(p); };
    }

private:
    using Clock = std::chrono::steady_clock;
    void draw(const imp::ImportProgress& p) {
        const auto now = Clock::now();
        const bool last = p.stage == imp::ImportProgress::Stage::Storing;
        if (p.stage != imp::ImportProgress::Stage::Fetching && !last) return;
        if (!last && now - _drawn < std::chrono::milliseconds(100)) return;
        _drawn = now;
        _drawnOnce = true;
        const double s = std::chrono::duration<double>(now - _start).count();
        const int width = 24;
        const int filled = p.total ? static_cast<int>(p.settled * width / p.total) : width;
        std::fprintf(stderr, "\r[%s%s] %zu/%zu records  %s  %.0f records/s ", std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(width - filled), ' ').c_str(), p.settled, p.total, mb(p.bytes).c_str(),
                     s > 0 ? static_cast<double>(p.settled - p.held) / s : 0.0);
        std::fflush(stderr);
    }

    bool _on;
    Clock::time_point _start;
    Clock::time_point _drawn{};
    bool _drawnOnce = false;
};

std::string markingLine(const imp::ProjectOutcome& p) {
    const auto& m = p.marking;
    const std::string where = printable(m.project) + " (folder " + printable(m.folder) + ")";
    std::string line = m.marked ? "marked on the tester: " + where + ", " + std::to_string(m.keys) + " records"
                                : "not marked on the tester: " + where + ": " + printable(m.reason);
    if (m.outOfRange > 0)
        line += "; " + std::to_string(m.outOfRange) + " records not marked: key outside the upload list's 32 bits";
    return line;
}

Json::Value markingJson(const imp::ImportOutcome& r) {
    Json::Value list(Json::arrayValue);
    for (const auto& p : r.projects) {
        if (!p.markingAsked) continue;
        const auto& m = p.marking;
        Json::Value v(Json::objectValue);
        v["project"] = m.project;
        v["testerFolder"] = m.folder;
        v["records"] = Json::UInt64(m.keys);
        v["marked"] = m.marked;
        if (!m.marked) v["reason"] = m.reason;
        if (m.outOfRange > 0) v["keyOutOfRange"] = Json::UInt64(m.outOfRange);
        list.append(v);
    }
    return list;
}

// "N of M records imported: ..." with how many were new, already there and failed.
std::string endLine(const imp::ImportOutcome& r, const std::string& outDir) {
    const std::string unlisted = imp::unlistedText(r.gaps);
    char line[512];
    std::snprintf(line, sizeof line, "%zu of %zu records imported: %zu new, %zu already there, %zu failed%s%s",
                  r.newRecords + r.alreadyThere, r.records.size(), r.newRecords, r.alreadyThere, r.failed,
                  r.notFetched > 0 ? (", " + std::to_string(r.notFetched) + " not fetched").c_str() : "",
                  unlisted.empty() ? "" : ("; " + unlisted).c_str());
    char tail[128];
    std::snprintf(tail, sizeof tail, " (%s fetched) into ", mb(r.bytes).c_str());
    char time[64];
    std::snprintf(time, sizeof time, " in %.1f s", r.seconds);
    return std::string(line) + tail + outDir + time;
}

// Prints the outcome; true when the whole job was done.
bool report(const imp::ImportOutcome& r, const std::string& outDir, bool json) {
    for (const auto& m : r.messages) std::fprintf(stderr, "kestrix: %s\n", m.c_str());
    for (const auto& rec : r.records) {
        if (rec.status != imp::RecordStatus::Failed) continue;
        const std::string why = rec.detail.empty() ? rec.reason : rec.reason + " (" + rec.detail + ")";
        std::fprintf(stderr, "kestrix: failed: %s: %s\n", imp::describe(r.catalog.summaries[rec.index]).c_str(),
                     printable(why).c_str());
    }
    printGaps(r.gaps);
    if (r.cancelled) std::fprintf(stderr, "kestrix: the import was cancelled\n");
    if (!r.markingProblem.empty())
        std::fprintf(stderr, "kestrix: nothing was marked on the tester: %s\n", r.markingProblem.c_str());
    if (json) {
        // The folder's index, with how this run's marking went.
        Json::Value index;
        std::ifstream in(r.indexPath, std::ios::binary);
        std::string errors;
        if (Json::parseFromStream(Json::CharReaderBuilder(), in, &index, &errors)) {
            index["marking"] = markingJson(r);
            kx::cli::printJson(index);
        }
    } else {
        std::printf("%s\n", endLine(r, outDir).c_str());
        for (const auto& p : r.projects)
            if (p.markingAsked) std::printf("%s\n", markingLine(p).c_str());
        std::printf("index of every record: %s\n", r.indexPath.c_str());
    }
    return r.complete();
}

// Runs the job; a job that could not start, or could not list anything, is a failure of its own.
imp::ImportOutcome runJob(const imp::ImportOptions& o) {
    kx::cli::QuietLog log;
    auto r = imp::runImport(o);
    if (!r.failure.empty()) {
        const bool reached = !r.catalog.testerName.empty() || !r.catalog.summaries.empty();
        throw BadInput(r.failure + (reached ? "" : log.reason()));
    }
    if (r.catalog.summaries.empty() && !r.catalog.problem.empty() && r.gaps.size() <= 1)
        throw BadInput(listingProblem(r.catalog, log));
    return r;
}

struct ImportCliOptions {
    kx::cli::TesterLink link;
    imp::ImportOptions import;
    std::string project;
    bool noMark = false;
    bool json = false;
    bool serial = false;
};

int import(ImportCliOptions o) {
    o.import.tester = kx::cli::importAddress(o.link);
    if (!o.project.empty()) o.import.project = o.project;
    o.import.mark = !o.noMark;
    o.import.overlapped = !o.serial;
    ProgressLine progress(!o.json);
    o.import.progress = progress.callback();
    auto r = runJob(o.import);
    const bool done = report(r, o.import.outDir, o.json);
    // A filter that matched nothing did nothing that was asked.
    if (o.import.project && r.records.empty() && r.gaps.empty())
        throw BadInput("no records in project \"" + printable(o.project) + "\" on the tester",
                       "see the projects with kestrix project list");
    return done ? kx::cli::kExitOk : kx::cli::kExitBadInput;
}

// A stocked tester in a private temporary folder, served on 127.0.0.1 for as long as it lives.
class DemoTester {
public:
    DemoTester() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-demo-tester-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw BadInput("cannot make a temporary folder for the simulated tester");
        _root = pattern;
        Kestrix::Sim::stockTester(_root, {});
        Kestrix::Sim::SimOptions options;
        options.root = _root;
        _sim = std::make_unique<Kestrix::Sim::TesterSim>(options);
        _sim->start();
    }
    ~DemoTester() {
        _sim.reset();
        std::error_code ec;
        std::filesystem::remove_all(_root, ec);
    }
    std::string address() const { return _sim->address(); }

private:
    std::filesystem::path _root;
    std::unique_ptr<Kestrix::Sim::TesterSim> _sim;
};

int demo(const std::string& outDir) {
    std::unique_ptr<DemoTester> tester;
    try {
        tester = std::make_unique<DemoTester>();
    } catch (const BadInput&) {
        throw;
    } catch (const std::exception& e) {
        throw BadInput(std::string("cannot start the simulated tester: ") + e.what());
    }
    std::printf("simulated tester listening on %s\n\n", tester->address().c_str());
    kx::cli::TesterLink link;
    link.ip = tester->address();
    imp::ImportOptions o;
    o.tester = kx::cli::importAddress(link);
    o.outDir = outDir;
    ProgressLine progress(true);
    o.progress = progress.callback();
    auto r = runJob(o);
    printCatalog(r.catalog);
    std::printf("\n");
    for (const auto& rec : r.records)
        if (rec.held()) std::printf("  %s\n", (std::filesystem::path(outDir) / rec.result).c_str());
    std::printf("\n");
    const bool all = report(r, outDir, false);
    tester.reset();
    std::printf("simulated tester stopped\n");
    return all ? kx::cli::kExitOk : kx::cli::kExitBadInput;
}

}  // namespace

namespace kx::cli {

void setupRecordsCommand(CLI::App* cmd) {
    auto link = std::make_shared<kx::cli::TesterLink>();
    auto json = std::make_shared<bool>(false);
    addLinkOptions(cmd, *link, true);
    kx::cli::addJsonFlag(cmd, *json, "The records as JSON");
    cmd->callback([link, json] { records(*link, *json); });
}

void setupImportCommand(CLI::App* cmd) {
    auto o = std::make_shared<ImportCliOptions>();
    addLinkOptions(cmd, o->link, true);
    cmd->add_option("--out", o->import.outDir, "Folder to write into (made when missing)")->required();
    cmd->add_option("--project", o->project, "Only this project (with its sites)");
    cmd->add_flag("--no-mark", o->noMark, "Do not mark the results as uploaded on the tester");
    cmd->add_flag("--all", o->import.all,
                  "Fetch and write every record again, also those the folder already holds intact");
    kx::cli::addJsonFlag(cmd, o->json, "Print the index as JSON");
    cmd->add_flag("--serial-transfers", o->serial, "Fetch one file after another (slower; for comparison)");
    cmd->callback([o] {
        if (import(*o) != kx::cli::kExitOk) throw BadInput("the import is not complete");
    });
}

void setupDemoCommand(CLI::App* cmd) {
    auto out = std::make_shared<std::string>("./kestrix-demo");
    cmd->add_option("--out", *out, "Folder to write into")->capture_default_str();
    cmd->callback([out] {
        if (demo(*out) != kx::cli::kExitOk) throw BadInput("the import is not complete");
    });
}

}  // namespace kx::cli
