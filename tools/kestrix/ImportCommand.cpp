// kestrix records | import | demo: the tester's stored results, fetched and written to a local folder.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include <json/reader.h>
#include <json/writer.h>

#include "Command.h"
#include "CommandTable.h"
#include "ImportRun.h"
#include "SimStock.h"
#include "TesterSim.h"

namespace {

using kx::cli::BadInput;

void printGaps(const std::vector<Kestrix::Tester::ListingGap>& gaps) {
    for (const auto& g : gaps) std::fprintf(stderr, "not listed: %s\n", kx::cli::describe(g).c_str());
}

void records(const kx::cli::TesterLink& link, bool json) {
    auto c = kx::cli::readCatalog(link);
    if (c.summaries.empty() && !c.problem.empty()) throw BadInput(c.problem);
    if (json)
        std::cout << Json::StyledWriter().write(c.catalog.toJson());
    else
        kx::cli::printCatalog(c);
    if (c.gaps.empty()) return;
    printGaps(c.gaps);
    throw BadInput(std::to_string(c.summaries.size()) + " records listed; " + kx::cli::unlistedText(c.gaps));
}

std::string markingLine(const Kestrix::Tester::FolderMarking& m) {
    const std::string where = kx::cli::printable(m.project) + " (folder " + kx::cli::printable(m.folder) + ")";
    std::string line = m.marked ? "marked on the tester: " + where + ", " + std::to_string(m.keys) + " records"
                                : "not marked on the tester: " + where + ": " + kx::cli::printable(m.reason);
    if (m.outOfRange > 0)
        line += "; " + std::to_string(m.outOfRange) + " records not marked: key outside the upload list's 32 bits";
    return line;
}

Json::Value markingJson(const kx::cli::ImportReport& r) {
    Json::Value list(Json::arrayValue);
    for (const auto& m : r.marking) {
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

// Prints the outcome; true when the whole job was done.
bool report(const kx::cli::ImportReport& r, const std::string& outDir, bool json) {
    for (const auto& m : r.messages) std::fprintf(stderr, "kestrix: %s\n", m.c_str());
    for (const auto& rec : r.records)
        if (!rec.ok)
            std::fprintf(stderr, "failed: %s: %s\n", kx::cli::describe(r.catalog.summaries[rec.index]).c_str(),
                         kx::cli::printable(rec.error).c_str());
    printGaps(r.gaps);
    if (!r.markingProblem.empty())
        std::fprintf(stderr, "kestrix: nothing was marked on the tester: %s\n", r.markingProblem.c_str());
    if (json) {
        // The folder's index, with how this run's marking went.
        Json::Value index;
        std::ifstream in(r.indexPath, std::ios::binary);
        std::string errors;
        if (Json::parseFromStream(Json::CharReaderBuilder(), in, &index, &errors)) {
            index["marking"] = markingJson(r);
            std::cout << Json::StyledWriter().write(index);
        }
    } else {
        const std::string unlisted = kx::cli::unlistedText(r.gaps);
        std::printf("%zu of %zu records imported%s (%.1f MB) into %s in %.1f s\n", r.records.size() - r.failed(),
                    r.records.size(), unlisted.empty() ? "" : ("; " + unlisted).c_str(),
                    static_cast<double>(r.bytes) / 1e6, outDir.c_str(), r.seconds);
        for (const auto& m : r.marking) std::printf("%s\n", markingLine(m).c_str());
        std::printf("index of every record: %s\n", r.indexPath.c_str());
    }
    return r.complete();
}

struct ImportCliOptions {
    kx::cli::ImportOptions import;
    std::string project;
    bool noMark = false;
    bool json = false;
    bool serial = false;
};

int import(ImportCliOptions o) {
    if (!o.project.empty()) o.import.project = o.project;
    o.import.mark = !o.noMark;
    o.import.progress = !o.json;
    o.import.overlapped = !o.serial;
    auto r = kx::cli::runImport(o.import);
    if (r.catalog.summaries.empty() && !r.catalog.problem.empty() && r.gaps.size() <= 1)
        throw BadInput(r.catalog.problem);
    if (o.import.project && r.records.empty())
        std::fprintf(stderr, "kestrix: no records in project \"%s\"\n", kx::cli::printable(o.project).c_str());
    return report(r, o.import.outDir, o.json) ? kx::cli::kExitOk : kx::cli::kExitBadInput;
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
    kx::cli::ImportOptions o;
    o.link.ip = tester->address();
    o.outDir = outDir;
    o.progress = true;
    auto r = kx::cli::runImport(o);
    kx::cli::printCatalog(r.catalog);
    std::printf("\n");
    for (const auto& rec : r.records)
        if (rec.ok) std::printf("  %s\n", (std::filesystem::path(outDir) / rec.result).c_str());
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
    cmd->add_flag("--json", *json, "The import catalog as JSON");
    cmd->callback([link, json] { records(*link, *json); });
}

void setupImportCommand(CLI::App* cmd) {
    auto o = std::make_shared<ImportCliOptions>();
    addLinkOptions(cmd, o->import.link, true);
    cmd->add_option("--out", o->import.outDir, "Folder to write into (made when missing)")->required();
    cmd->add_option("--project", o->project, "Only this project (with its sites)");
    cmd->add_flag("--no-mark", o->noMark, "Do not mark the imported results as uploaded on the tester");
    cmd->add_flag("--json", o->json, "Print the index as JSON");
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
