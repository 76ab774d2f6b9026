#include "tester/import/ImportCatalog.h"

#include <stdexcept>

#include "tester/host/Log.h"
#include "tester/host/Printable.h"
#include "tester/session/TarvelCom.h"

namespace Kestrix::Import {

using namespace Kestrix::Tester;

uint64_t Catalog::unlisted() const { return knownUnlisted(gaps); }

bool Catalog::unlistedUnknown() const {
    for (const auto& g : gaps)
        if (g.records < 0) return true;
    return false;
}

std::unique_ptr<TarvelCom> connectTester(const TesterAddress& tester, std::string& why) {
    auto com = std::make_unique<TarvelCom>(tester.password);
    if (tester.ping) com->setPingFactory(tester.ping);
    // Only the address given: never a scan of the link-local network.
    com->setLinkLocalScan(false);
    com->SetIp(tester.address);
    auto found = com->FindAttachedTesters();
    if (!found || !com->Connect(found->front())) {
        why = "cannot connect to the tester at " + printable(tester.address);
        return nullptr;
    }
    if (tester.timeoutMs > 0) com->SetTimeout(tester.timeoutMs);
    return com;
}

Catalog listCatalog(TarvelCom& com) {
    Catalog c;
    c.testerName = com.currentTester() ? com.currentTester()->DisplayName : "";
    c.testerSerial = com.GetSerialNumber();
    com.GetRecordCount();
    c.summaries = com.summaries();
    c.problem = com.listingProblem();
    c.gaps = com.listingGaps();
    if (!c.summaries.empty()) {
        TaskManager tm;
        com.ReadImportRecInfo(&c.catalog, false, &tm);
    }
    return c;
}

Catalog readCatalog(const TesterAddress& tester) {
    std::string why;
    auto com = connectTester(tester, why);
    if (!com) throw std::runtime_error(why);
    Catalog c = listCatalog(*com);
    com->CloseImport();
    return c;
}

uint64_t knownUnlisted(const std::vector<ListingGap>& gaps) {
    uint64_t n = 0;
    for (const auto& g : gaps) n += g.records > 0 ? static_cast<uint64_t>(g.records) : 0;
    return n;
}

std::string unlistedText(const std::vector<ListingGap>& gaps) {
    if (gaps.empty()) return "";
    bool unknown = false;
    for (const auto& g : gaps) unknown |= g.records < 0;
    const uint64_t known = knownUnlisted(gaps);
    if (unknown && known == 0) return "an unknown number could not be listed";
    return (unknown ? "at least " : "") + std::to_string(known) + " could not be listed";
}

std::string describe(const ListingGap& g) {
    if (g.folder.empty() && g.project.empty()) return printable(g.reason);
    std::string where = g.project + (g.site.empty() ? "" : "/" + g.site);
    return "project " + printable(where) + " (folder " + printable(g.folder) + "): " + printable(g.reason);
}

std::string describe(const KestrixSum& s) {
    std::string where = s.project + (s.site.empty() ? "" : "/" + s.site) + "/" + s.id;
    return printable(where) + " (" + printable(s.fileName) + ")";
}

}  // namespace Kestrix::Import
