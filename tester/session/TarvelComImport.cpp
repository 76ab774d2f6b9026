// Import, first half: listing the tester's results from its databases and handing the host the catalog.
#include <cmath>
#include <fstream>
#include <limits>
#include <unordered_map>
#include <unordered_set>

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

// Runs of rows (0-based positions) that could not be read, named "row 4" or "rows 4-9" (1-based).
class RowRanges {
public:
    struct Range {
        std::string name;
        int64_t rows;
    };
    void add(int row) {
        if (!_runs.empty() && _runs.back().second + 1 == row)
            _runs.back().second = row;
        else
            _runs.emplace_back(row, row);
    }
    std::vector<Range> ranges() const {
        std::vector<Range> out;
        for (const auto& [first, last] : _runs) {
            const std::string name = first == last
                                         ? "row " + std::to_string(first + 1)
                                         : "rows " + std::to_string(first + 1) + "-" + std::to_string(last + 1);
            out.push_back({name, static_cast<int64_t>(last) - first + 1});
        }
        return out;
    }

private:
    std::vector<std::pair<int, int>> _runs;
};

}  // namespace

double storedLengthMeters(int64_t scaledValue, int64_t scaleFactor) {
    if (static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(scaledValue))) == kUnknownLengthCode)
        return std::numeric_limits<double>::quiet_NaN();
    double metres = static_cast<double>(scaledValue);
    const int64_t divisions = scaleFactor > kMaxScaleFactor ? kMaxScaleFactor : scaleFactor;
    for (int64_t i = 0; i < divisions; ++i) metres /= 10.0;
    return metres;
}

boost::optional<std::vector<uint8_t>> TarvelCom::fetchListingDatabase(const std::string& path, int& reconnects) {
    auto bytes = ReadMemory(path, DownloadKind::Database);
    if (bytes || reconnects <= 0 || !linkLost()) return bytes;
    // The link went down under the download: once per listing it is made again and the file fetched anew.
    --reconnects;
    dropScp();
    if (!CheckConnect(true)) return boost::none;
    return ReadMemory(path, DownloadKind::Database);
}

std::string TarvelCom::downloadFailure() const {
    const std::string& why = lastTransferError();
    return why.empty() ? std::string("could not be fetched from the tester") : "could not be fetched (" + why + ")";
}

int TarvelCom::GetRecordCount() {
    m_summaries.clear();
    m_uploadKeys.clear();
    m_batch.reset();
    m_listingProblem.clear();
    m_listingGaps.clear();
    m_projectNames.clear();
    m_lostConnectionShown = false;

    int reconnects = 1;
    auto master = fetchListingDatabase(std::string(kTesterProjectsRoot) + "master.sql", reconnects);
    if (!master || master->empty()) {
        m_listingProblem = "the tester's master database could not be read";
        if (!lastTransferError().empty()) m_listingProblem += " (" + lastTransferError() + ")";
        m_listingGaps.push_back({"", "", "", m_listingProblem, -1});
        return 0;
    }
    ImportTempDir temp;
    if (!temp.ok()) {
        Log::ErrMsg("GetRecordCount", temp.error());
        m_listingProblem = temp.error();
        m_listingGaps.push_back({"", "", "", m_listingProblem, -1});
        return 0;
    }
    const auto masterPath = temp.path() / "master.sql";
    std::vector<MasterRow> rows;
    {
        MasterTbl table;
        if (!writeLocal(masterPath, *master)) {
            m_listingProblem = "cannot write " + masterPath.string();
            m_listingGaps.push_back({"", "", "", m_listingProblem, -1});
            return 0;
        }
        if (table.Open(masterPath.string()) != SQLiteTbl::kOpened) {
            Log::ErrMsg("Unreadable master database", table.lastError());
            m_listingProblem = "the tester's master database is unreadable (" + table.lastError() + ")";
            m_listingGaps.push_back({"", "", "", m_listingProblem, -1});
            removeLocal(masterPath);
            return 0;
        }
        RowRanges unreadable;
        for (bool row = table.MoveFirst(); row; row = table.MoveNext()) {
            try {
                MasterRow r{table.name(), table.dirName(), table.quarnId(), table.parentQuarnId()};
                if (!r.name.empty()) rows.push_back(std::move(r));
            } catch (const SQLiteTblError&) {
                unreadable.add(table.currentRow());
            }
        }
        // The projects of unreadable rows are unknown, and so are their results.
        for (const auto& range : unreadable.ranges())
            m_listingGaps.push_back({"", "", "", "the master database's " + range.name + " cannot be read", -1});
        if (table.truncated())
            m_listingGaps.push_back({"", "", "",
                                     "the master database ends after " + std::to_string(table.RowCount()) +
                                         " projects (" + table.truncationReason() + ")",
                                     -1});
        table.Close();
        removeLocal(masterPath);
    }

    // The first row of each id names the parent, as a search from the front would.
    std::unordered_map<std::string, size_t> byId;
    std::unordered_set<std::string> folders;
    for (size_t i = 0; i < rows.size(); ++i) byId.emplace(rows[i].quarnId, i);
    for (const auto& row : rows) {
        m_projectNames.push_back({row.name, row.dirName});
        // A folder listed twice would list (and mark) its results twice: the first row stands for it.
        if (!folders.insert(row.dirName).second) {
            Log::ErrMsg("Project folder listed twice in the master database", fillIn("Folder={0}", row.dirName));
            continue;
        }
        std::string project = row.name;
        std::string site;
        if (!row.parentQuarnId.empty()) {
            site = row.name;
            auto parent = byId.find(row.parentQuarnId);
            if (parent != byId.end()) project = rows[parent->second].name;
        }
        listProject(temp.path(), row.dirName, project, site, row.name, reconnects);
    }
    return static_cast<int>(m_summaries.size());
}

void TarvelCom::listProject(const std::filesystem::path& tempDir, const std::string& dirName,
                            const std::string& project, const std::string& site, const std::string& keyProject,
                            int& reconnects) {
    auto bytes = fetchListingDatabase(std::string(kTesterProjectsRoot) + dirName + "/" + "project.sql", reconnects);
    if (!bytes) {
        m_listingGaps.push_back({project, site, dirName, "its database " + downloadFailure(), -1});
        return;
    }
    const auto path = tempDir / "project.sql";
    if (!writeLocal(path, *bytes)) {
        removeLocal(path);
        m_listingGaps.push_back({project, site, dirName, "cannot write " + path.string(), -1});
        return;
    }
    SummaryTbl table;
    if (table.Open(path.string()) == SQLiteTbl::kOpened) {
        RowRanges unreadable;
        for (bool row = table.MoveFirst(); row; row = table.MoveNext()) {
            try {
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
                s.folder = dirName;
                m_summaries.push_back(std::move(s));
            } catch (const SQLiteTblError&) {
                // One damaged row loses that row only; it is named below with its neighbours.
                unreadable.add(table.currentRow());
            }
        }
        for (const auto& range : unreadable.ranges())
            m_listingGaps.push_back(
                {project, site, dirName, "its database's " + range.name + " cannot be read", range.rows});
        if (table.truncated()) {
            const int64_t announced = table.announcedRows();
            const int64_t missing = announced >= table.RowCount() ? announced - table.RowCount() : -1;
            m_listingGaps.push_back({project, site, dirName,
                                     "its database ends after " + std::to_string(table.RowCount()) + " results (" +
                                         table.truncationReason() + ")",
                                     missing});
            Log::ErrMsg("Project database of " + project + " ends early", table.truncationReason());
        }
    } else {
        Log::ErrMsg("Unreadable project database of " + project, table.lastError());
        m_listingGaps.push_back({project, site, dirName, "its database is unreadable (" + table.lastError() + ")", -1});
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
