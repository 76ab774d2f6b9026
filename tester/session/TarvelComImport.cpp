// Import, first half: listing the tester's results from its databases and handing the host the catalog.
#include <cmath>
#include <fstream>
#include <limits>
#include <unordered_map>

#include "common/Status.h"
#include "tester/db/MasterTbl.h"
#include "tester/db/SummaryTbl.h"
#include "tester/host/Log.h"
#include "tester/record/EnumConverter.h"
#include "tester/session/ImportTempDir.h"
#include "tester/session/TarvelCom.h"

namespace Kestrix::Tester {
namespace {

// Stored lengths use this code for "not measured".
constexpr int32_t kUnknownLengthCode = -2147483647;  // 0x80000001
// Past this many divisions by ten every int64 is 0; a larger stored factor is not worth a longer loop.
constexpr int64_t kMaxScaleFactor = 400;

struct MasterRow {
    std::string name;
    std::string dirName;
    std::string quarnId;
    std::string parentQuarnId;
};

bool writeLocal(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

void removeLocal(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

}  // namespace

double storedLengthMeters(int64_t scaledValue, int64_t scaleFactor) {
    if (static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(scaledValue))) == kUnknownLengthCode)
        return std::numeric_limits<double>::quiet_NaN();
    double metres = static_cast<double>(scaledValue);
    const int64_t divisions = scaleFactor > kMaxScaleFactor ? kMaxScaleFactor : scaleFactor;
    for (int64_t i = 0; i < divisions; ++i) metres /= 10.0;
    return metres;
}

int TarvelCom::GetRecordCount() {
    m_summaries.clear();
    m_uploadKeys.clear();
    m_batch.reset();
    m_listingProblem.clear();
    m_lostConnectionShown = false;

    auto master = ReadMemory(std::string(kTesterProjectsRoot) + "master.sql");
    if (!master || master->empty()) {
        m_listingProblem = "the tester's master database could not be read";
        return 0;
    }
    ImportTempDir temp;
    if (!temp.ok()) {
        Log::ErrMsg("GetRecordCount", temp.error());
        m_listingProblem = temp.error();
        return 0;
    }
    const auto masterPath = temp.path() / "master.sql";
    std::vector<MasterRow> rows;
    {
        MasterTbl table;
        if (!writeLocal(masterPath, *master)) {
            m_listingProblem = "cannot write " + masterPath.string();
            return 0;
        }
        if (table.Open(masterPath.string()) != SQLiteTbl::kOpened) {
            Log::ErrMsg("Unreadable master database", table.lastError());
            m_listingProblem = "the tester's master database is unreadable (" + table.lastError() + ")";
            removeLocal(masterPath);
            return 0;
        }
        for (bool row = table.MoveFirst(); row; row = table.MoveNext()) {
            try {
                MasterRow r{table.name(), table.dirName(), table.quarnId(), table.parentQuarnId()};
                if (!r.name.empty()) rows.push_back(std::move(r));
            } catch (const SQLiteTblError&) {
                // A damaged row loses that project only.
            }
        }
        table.Close();
        removeLocal(masterPath);
    }

    // The first row of each id names the parent, as a search from the front would.
    std::unordered_map<std::string, size_t> byId;
    for (size_t i = 0; i < rows.size(); ++i) byId.emplace(rows[i].quarnId, i);
    for (const auto& row : rows) {
        std::string project = row.name;
        std::string site;
        if (!row.parentQuarnId.empty()) {
            site = row.name;
            auto parent = byId.find(row.parentQuarnId);
            if (parent != byId.end()) project = rows[parent->second].name;
        }
        listProject(temp.path(), row.dirName, project, site, row.name);
    }
    return static_cast<int>(m_summaries.size());
}

void TarvelCom::listProject(const std::filesystem::path& tempDir, const std::string& dirName,
                            const std::string& project, const std::string& site, const std::string& keyProject) {
    auto bytes = ReadMemory(std::string(kTesterProjectsRoot) + dirName + "/" + "project.sql");
    if (!bytes) return;
    const auto path = tempDir / "project.sql";
    if (!writeLocal(path, *bytes)) {
        removeLocal(path);
        return;
    }
    SummaryTbl table;
    if (table.Open(path.string()) == SQLiteTbl::kOpened) {
        try {
            for (bool row = table.MoveFirst(); row; row = table.MoveNext()) {
                KestrixSum s;
                s.project = project;
                s.site = site;
                s.id = table.name();
                s.type = static_cast<int32_t>(table.type());
                s.status = static_cast<int32_t>(table.status());
                s.timet = table.timestamp();
                s.lengthM = storedLengthMeters(table.lengthScaledValue(), table.lengthScaleFactor());
                s.fileName = dirName + "/" + table.fileName();
                s.fileSize = table.fileSize();
                s.key = table.key();
                s.keyProject = keyProject;
                m_summaries.push_back(std::move(s));
            }
        } catch (const SQLiteTblError& e) {
            Log::ErrMsg("Project database of " + project + " ends early", e.what());
        }
    } else {
        Log::ErrMsg("Unreadable project database of " + project, table.lastError());
    }
    table.Close();
    removeLocal(path);
}

int TarvelCom::ReadImportRecInfo(ImportRecCatalog* catalog, bool, TaskManager* taskManager) {
    LogContext context("Reading record summaries for importing");
    if (!catalog) {
        Err::DisplayInternalErrorLater("Null import rec catalog argument");
        return ImportStatus::kBadCall;
    }
    catalog->RecordSourceName = m_tester ? m_tester->DisplayName : std::string();
    if (m_summaries.empty()) {
        Err::DisplayInternalErrorLater("Summary Count zero");
        return ImportStatus::kBadCall;
    }
    for (size_t i = 0; i < m_summaries.size(); ++i) {
        const KestrixSum& s = m_summaries[i];
        ImportRecInfo info;
        info.Platform = kPlatform;
        info.RecordSize = s.fileSize;
        info.CableID = s.id;
        info.Path.Root = catalog->RecordSourceName;
        info.Path.Project = s.project;
        info.Path.Site = s.site;
        info.TestDate = HxDataDate::From1970(s.timet);
        info.CableLength.Value = s.lengthM;
        info.CableLength.Precision = 1;
        if (std::isnan(s.lengthM) || s.lengthM < 0) info.CableLength.Qualifier = HostMeasurement::kQualifierUnknown;
        info.TestStatus = EnumConverter::Status(static_cast<Kestrix::Status>(s.status));
        info.RecAccessKey = static_cast<int64_t>(i);
        catalog->Add(std::move(info));
        if (taskManager) taskManager->IncrementProgress(1);
    }
    return ImportStatus::kDone;
}

}  // namespace Kestrix::Tester
