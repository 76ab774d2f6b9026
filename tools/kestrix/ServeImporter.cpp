#include "ServeImporter.h"

#include "Command.h"
#include "ImportRun.h"

namespace kx::cli {

kx::serve::TesterState ServeImporter::probe() {
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
        Catalog c = readCatalog(link);
        state.attached = true;
        state.address = link.ip;
        state.name = printable(c.testerName);
        for (const auto& s : c.summaries) state.records.push_back({s.fileName, s.key});
        if (c.summaries.empty() && !c.problem.empty()) state.problem = printable(c.problem);
    } catch (const std::exception& e) {
        state.attached = false;
        state.problem = printable(e.what());
    }
    return state;
}

kx::serve::ImportOutcome ServeImporter::import(const std::string& address, const std::string& folder,
                                               const kx::serve::ImportProgressFn& progress, const std::atomic<bool>&) {
    kx::serve::ImportOutcome outcome;
    ImportOptions o;
    o.link = _link;
    o.link.ip = address.empty() ? _link.ip : address;
    o.outDir = folder;
    o.mark = _mark;
    o.progress = false;
    if (progress) progress({0, 0, "Importing from the tester at " + o.link.ip});
    try {
        const ImportReport r = runImport(o);
        if (r.catalog.summaries.empty() && !r.catalog.problem.empty()) {
            outcome.message = printable(r.catalog.problem);
            return outcome;
        }
        outcome.failed = r.failed();
        outcome.imported = r.records.size() - outcome.failed;
        outcome.ok = outcome.failed == 0;
        outcome.message =
            "imported " + std::to_string(outcome.imported) + " of " + std::to_string(r.records.size()) + " records";
        for (const auto& rec : r.records) {
            if (rec.ok) continue;
            outcome.message += "; failed: " + describe(r.catalog.summaries[rec.index]) + ": " + printable(rec.error);
            break;
        }
        if (progress) progress({r.records.size(), r.records.size(), "Done"});
    } catch (const std::exception& e) {
        outcome.message = printable(e.what());
    }
    return outcome;
}

}  // namespace kx::cli
