// Summary rows from records, and the choice of rows.
#include "tester/report/SummaryRows.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <tuple>

#include <json/json.h>

#include "common/EquipmentInformation.h"
#include "copper/CopperResult.h"
#include "copper/CopperTest.h"
#include "fiber/FiberImageTest.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberResult.h"
#include "tester/import/ImportFolder.h"
#include "tester/record/RecordVerdict.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/session/Sysinfo.h"

namespace Kestrix::Report {

namespace fs = std::filesystem;

namespace {

// A record file beside a result is read only up to this size.
constexpr uintmax_t kMaxSideFile = 16u << 20;

std::string dateText(Tester::HostDate d) {
    std::string s = Tester::HxDataDate::ToIso8601(d);
    if (s.size() >= 16) s = s.substr(0, 10) + " " + s.substr(11, 5);
    return s;
}

const EquipmentInformation* mainEquipment(Tester::TestRecordTarvel& record) {
    if (const CopperTest* t = record.IsCopper() ? record.GetCopperTest() : nullptr) return &t->body.mainEquipInfo;
    const FiberResult* fiber = record.IsFiber() ? record.GetFiberResult() : nullptr;
    if (fiber == nullptr) return nullptr;
    for (const auto& test : fiber->tests) {
        if (const auto* t = dynamic_cast<const FiberOtdrTest*>(test.get())) return &t->equipmentInfo;
        if (const auto* t = dynamic_cast<const FiberLossLengthTest*>(test.get())) return &t->equipmentInfo;
        if (const auto* t = dynamic_cast<const FiberPowerMeterTest*>(test.get())) return &t->equipmentInfo;
        if (const auto* t = dynamic_cast<const Kestrix::FiberImageTest*>(test.get())) return &t->equipmentInfo;
    }
    return nullptr;
}

// What a fiber record's tests are, in the words of a test plan.
std::string fiberTestType(Tester::TestRecordTarvel& record) {
    std::vector<std::string> kinds;
    for (const Tester::RecordTest& t : record.GetTests()) {
        const char* kind = nullptr;
        switch (t.TestId) {
            case 20:
            case 21: kind = "Loss/length"; break;
            case 22:
            case 23: kind = "Power meter"; break;
            case 24:
            case 25: kind = "OTDR"; break;
            case 42: kind = "Bidirectional OTDR"; break;
            case 28:
            case 29: kind = "End-face"; break;
            case 30:
            case 31: kind = "Real-time trace"; break;
            case 32: kind = "Fault map"; break;
            default: break;
        }
        if (kind != nullptr && std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.emplace_back(kind);
    }
    std::string s;
    for (const std::string& k : kinds) s += (s.empty() ? "" : " + ") + k;
    return s;
}

}  // namespace

void projectAndSite(const std::string& resultPath, std::string& project, std::string& site,
                    Import::ImportFolders& folders) {
    const auto record = folders.recordPathOf(resultPath);
    if (!record) return;
    const fs::path& side = *record;
    std::error_code ec;
    if (!fs::is_regular_file(side, ec) || fs::file_size(side, ec) > kMaxSideFile || ec) return;
    std::ifstream in(side);
    Json::Value j;
    Json::CharReaderBuilder b;
    std::string errors;
    if (!Json::parseFromStream(b, in, &j, &errors) || !j.isObject()) return;
    const Json::Value& meta = j["RecordMetaData"];
    if (!meta.isObject()) return;
    if (meta["Project"].isString()) project = meta["Project"].asString();
    if (meta["Site"].isString()) site = meta["Site"].asString();
}

SummaryRow summaryRow(Tester::TestRecordTarvel& record, const std::string& project, const std::string& site,
                      const std::string& file) {
    SummaryRow r;
    r.file = file;
    r.project = cleanText(project);
    r.site = cleanText(site);
    Tester::RecordSummary summary;
    if (!record.SerializedResult().empty() &&
        Tester::TestRecordTarvel::LoadSummary(&summary, record.SerializedResult())) {
        r.cableId = cleanText(summary.CableID);
        r.date = dateText(summary.TestDate);
        r.time = Tester::HxDataDate::SecondsSince1970(summary.TestDate);
        r.status = summary.Status;
        r.lengthMeters = summary.LengthMeters;
        r.media = summary.Media == Tester::kMediaFiber ? "Fiber" : "Copper";
    }
    r.damage = Tester::recordDamage(record);
    const auto meta = record.ExtractMetaDataFromResult();
    if (!meta) return r;
    if (r.project.empty()) r.project = cleanText(meta->Project);
    if (r.site.empty()) r.site = cleanText(meta->Site);
    r.lengthMeters = meta->LengthMeters;
    r.media = meta->Media == Tester::kMediaFiber ? "Fiber" : meta->Media == Tester::kMediaCoax ? "Coax" : "Copper";
    if (record.IsCopper()) {
        const CopperTest* t = record.GetCopperTest();
        r.testType = t != nullptr && t->body.copperTestType == CopperTestType::autoTest
                         ? std::string("Autotest")
                         : cleanText(t != nullptr ? toString(t->body.copperTestType) : "");
    } else {
        r.testType = fiberTestType(record);
    }
    const auto tests = record.GetTests();
    const auto tm = record.GetTestMetaData(record.IsCopper() || tests.empty() ? 0 : tests.front().TestId);
    if (tm) {
        r.limit = cleanText(tm->LimitName);
        r.operatorName = cleanText(tm->OperatorFromResult);
        r.cableType = cleanText(tm->CableTypeFromResult);
        if (tm->Tester1) {
            r.testerSerial = cleanText(tm->Tester1->TesterSerialNumber);
            r.calibrationDate = dateText(tm->Tester1->ModuleCalDate).substr(0, 10);
        }
    }
    if (const EquipmentInformation* e = mainEquipment(record)) {
        const std::string name = Tester::modelDisplayName(e->modelIdStr);
        r.testerModel = name != "N/A" ? name : cleanText(e->modelIdStr, 40);
    }
    const Tester::RecordMargins margins = Tester::recordMargins(record);
    if (margins.worst) {
        r.worst = margins.worst;
        r.worstText = cleanText(Tester::describeMargin(*margins.worst));
    }
    r.conflict = cleanText(Tester::checkVerdict(record, margins).text(), 600);
    return r;
}

SummaryRow unreadableRow(const std::string& file, const std::string& reason) {
    SummaryRow r;
    r.file = file;
    r.damage = cleanText(reason, 300);
    return r;
}

void keepLatest(std::vector<SummaryRow>& rows, std::vector<SummaryRow>& superseded) {
    // The index of the latest row of each cable id; rows without a cable id are never re-tests of another.
    std::map<std::tuple<std::string, std::string, std::string>, size_t> latest;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].cableId.empty()) continue;
        const auto key = std::make_tuple(rows[i].project, rows[i].site, rows[i].cableId);
        auto [it, added] = latest.emplace(key, i);
        if (!added && rows[i].time >= rows[it->second].time) it->second = i;
    }
    std::vector<SummaryRow> kept;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].cableId.empty()) {
            kept.push_back(std::move(rows[i]));
            continue;
        }
        const size_t last = latest[std::make_tuple(rows[i].project, rows[i].site, rows[i].cableId)];
        if (last == i) {
            kept.push_back(std::move(rows[i]));
        } else {
            rows[i].supersededBy = rows[last].file;
            superseded.push_back(std::move(rows[i]));
        }
    }
    rows = std::move(kept);
}

bool needsAttention(const SummaryRow& row) {
    return row.status == Tester::kHostStatusFail || !row.conflict.empty() || !row.damage.empty();
}

std::string statusText(const SummaryRow& row) {
    if (!row.damage.empty() && row.cableId.empty() && row.date.empty()) return "UNREADABLE";
    return statusWord(row.status);
}

}  // namespace Kestrix::Report
