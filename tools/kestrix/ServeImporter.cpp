#include "ServeImporter.h"

#include "Command.h"
#include "tester/import/ImportJob.h"

namespace kx::cli {

namespace {

namespace imp = Kestrix::Import;

const char* phaseOf(imp::ImportProgress::Stage s) {
    switch (s) {
        case imp::ImportProgress::Stage::Listing: return "Listing the tester's records";
        case imp::ImportProgress::Stage::Fetching: return "Fetching records";
        case imp::ImportProgress::Stage::Storing: return "Writing the index";
        case imp::ImportProgress::Stage::Marking: return "Marking the records uploaded on the tester";
        case imp::ImportProgress::Stage::Done: return "Done";
    }
    return "";
}

// "N of M records imported: a new, b already there, c failed", then why the job is not whole, if it is not.
std::string outcomeLine(const imp::ImportOutcome& r) {
    std::string line = std::to_string(r.newRecords + r.alreadyThere) + " of " + std::to_string(r.records.size()) +
                       " records imported: " + std::to_string(r.newRecords) + " new, " +
                       std::to_string(r.alreadyThere) + " already there, " + std::to_string(r.failed) + " failed";
    if (r.notFetched > 0) line += ", " + std::to_string(r.notFetched) + " not fetched";
    if (const std::string unlisted = imp::unlistedText(r.gaps); !unlisted.empty()) line += "; " + unlisted;
    if (r.cancelled) line += "; cancelled";
    for (const auto& rec : r.records) {
        if (rec.status != imp::RecordStatus::Failed) continue;
        line += "; failed: " + imp::describe(r.catalog.summaries[rec.index]) + ": " + rec.reason;
        break;
    }
    if (!r.markingProblem.empty()) line += "; nothing was marked on the tester: " + r.markingProblem;
    for (const auto& p : r.projects)
        if (p.markingAsked && !p.marking.marked) {
            line += "; not marked on the tester: " + p.marking.project + ": " + p.marking.reason;
            break;
        }
    return printable(line);
}

}  // namespace

kx::serve::TesterState ServeImporter::probe(const std::string& folder) {
    kx::serve::TesterState state;
    TesterLink link = _link;
    try {
        if (link.ip.empty()) {
            QuietLog log;
            auto com = makeTarvelCom(link.password);
            com->setLinkLocalScan(true);
            auto found = com->FindAttachedTesters();
            com->Close();
            if (!found) {
                state.problem = "none on the USB network link";
                return state;
            }
            link.ip = found->front().Port;
        }
        const imp::Catalog c = imp::readCatalog(importAddress(link));
        state.attached = true;
        state.address = link.ip;
        state.name = printable(c.testerName);
        state.held = c.summaries.size();
        state.missing = imp::countToFetch(c, folder);
        if (c.summaries.empty() && !c.problem.empty()) state.problem = printable(c.problem);
    } catch (const std::exception& e) {
        state.attached = false;
        state.problem = printable(e.what());
    }
    return state;
}

kx::serve::ImportOutcome ServeImporter::import(const std::string& address, const std::string& folder,
                                               const kx::serve::ImportProgressFn& progress,
                                               const std::atomic<bool>& cancel) {
    kx::serve::ImportOutcome outcome;
    TesterLink link = _link;
    if (!address.empty()) link.ip = address;
    imp::ImportOptions o;
    o.tester = importAddress(link);
    o.outDir = folder;
    o.mark = _mark;
    o.cancel = &cancel;
    if (progress)
        o.progress = [&progress](const imp::ImportProgress& p) { progress({p.settled, p.total, phaseOf(p.stage)}); };
    try {
        const imp::ImportOutcome r = imp::runImport(o);
        if (!r.failure.empty()) {
            outcome.message = printable(r.failure);
            return outcome;
        }
        if (r.catalog.summaries.empty() && !r.catalog.problem.empty()) {
            outcome.message = printable(r.catalog.problem);
            return outcome;
        }
        outcome.newRecords = r.newRecords;
        outcome.alreadyThere = r.alreadyThere;
        outcome.failed = r.failed;
        outcome.notFetched = r.notFetched;
        outcome.ok = r.complete();
        outcome.message = outcomeLine(r);
    } catch (const std::exception& e) {
        outcome.message = printable(e.what());
    }
    return outcome;
}

}  // namespace kx::cli
