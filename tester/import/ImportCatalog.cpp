#include "tester/import/ImportCatalog.h"

#include <cmath>
#include <stdexcept>

#include "common/Status.h"
#include "tester/host/HostServices.h"
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

Json::Value summaryJson(const Tester::KestrixSum& s, const Tester::ImportRecInfo* info,
                        const std::string& testerSerial) {
    Json::Value v(Json::objectValue);
    v["testerSerial"] = testerSerial;
    v["project"] = s.project;
    v["site"] = s.site;
    v["cableId"] = s.id;
    v["testDate"] = Tester::HxDataDate::ToIso8601(Tester::HxDataDate::From1970(s.timet));
    v["status"] = Kestrix::toString(static_cast<Kestrix::Status>(s.status));
    v["statusCode"] = s.status;
    v["hostStatus"] = info ? info->TestStatus : 0;
    v["lengthM"] = std::isfinite(s.lengthM) ? Json::Value(s.lengthM) : Json::Value(Json::nullValue);
    v["size"] = Json::Int64(s.fileSize);
    v["key"] = Json::Int64(s.key);
    v["testerFile"] = s.fileName;
    return v;
}

Json::Value notListedJson(const std::vector<Tester::ListingGap>& gaps) {
    Json::Value list(Json::arrayValue);
    for (const auto& g : gaps) {
        Json::Value v(Json::objectValue);
        v["project"] = g.project;
        v["site"] = g.site;
        v["testerFolder"] = g.folder;
        v["reason"] = g.reason;
        v["records"] = g.records >= 0 ? Json::Value(Json::Int64(g.records)) : Json::Value(Json::nullValue);
        list.append(v);
    }
    return list;
}

Json::Value catalogJson(const Catalog& c) {
    Json::Value v(Json::objectValue);
    v["tester"] = c.testerName;
    v["testerSerial"] = c.testerSerial;
    Json::Value list(Json::arrayValue);
    for (size_t i = 0; i < c.summaries.size(); ++i) {
        const Tester::ImportRecInfo* info = i < c.catalog.Count() ? &c.catalog.Records()[i] : nullptr;
        list.append(summaryJson(c.summaries[i], info, c.testerSerial));
    }
    v["records"] = list;
    v["notListed"] = notListedJson(c.gaps);
    return v;
}

}  // namespace Kestrix::Import
