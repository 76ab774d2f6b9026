#include "SimStock.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "Fleet.h"
#include "SimStockDb.h"
#include "SimStockResults.h"
#include "common/ResultEnvelope.h"

namespace fs = std::filesystem;

namespace Kestrix::Sim {
namespace {

struct StockedProject {
    const char* name;
    const char* dirName;
    const char* quarnId;
    const char* parentQuarnId;
};

// A campus with one of its buildings as a site, a data center, a hall whose name needs quoting, and a site
// whose parent project was deleted from the tester.
const StockedProject kProjects[] = {
    {"Riverside Campus", "Riverside Campus", "6f1c2a90-3b7e-4d21-9a55-0c8e1f4b7d01", ""},
    {"Building B", "Riverside Campus - Building B", "a3d94e12-58c0-4f6b-b1e7-2d7c9e0f3a12",
     "6f1c2a90-3b7e-4d21-9a55-0c8e1f4b7d01"},
    {"Harbor Data Center", "Harbor DC 2026", "0b7e5c33-91fa-4e08-8d3c-5a6b2f1e9c23", ""},
    {"O'Neill Hall", "O'Neill Hall", "c8a21f44-7d39-4b5e-a0c2-9e3f6b8d1a34", ""},
    {"Annex", "Annex", "e5f07b55-2c84-4a9d-b6e1-7f0a3c5d2e45", "9d3b6a66-deleted-0000-0000-000000000000"},
};

struct StockedRecord {
    size_t project;
    StockKind kind;
    const char* cableId;
    int64_t when;
};

constexpr int64_t kDay = 86400;
constexpr int64_t kFirstDay = 1793693700;  // 3 November 2026, 08:15 UTC

// Every kind once, a re-test under the same cable id, names with spaces and quotes, and the failures a crew
// meets: a bad termination, a link too long, a loose contact, every wiremap fault, a dirty connector, a
// macrobend.
const StockedRecord kRecords[] = {
    {0, StockKind::otdrBothEnds, "OTDR-PP-A01", kFirstDay + 1200},
    {0, StockKind::otdrBidi, "OTDR-PP-A02", kFirstDay + 4 * 3600},
    {0, StockKind::faultMap, "FM-RISER-2", kFirstDay + kDay + 600},
    {0, StockKind::realTimeTrace, "RTT SPARE 1", kFirstDay + kDay + 2400},
    {0, StockKind::endFaceImage, "EF-PP-A01", kFirstDay + kDay + 5400},
    {0, StockKind::otdrEnd1, "OTDR-PP-A03", kFirstDay + 2 * kDay + 600},
    {0, StockKind::otdrEnd2, "OTDR-PP-A03", kFirstDay + 2 * kDay + 4200},
    {1, StockKind::lossLength, "LL-B-101", kFirstDay + 3 * kDay + 900},
    {1, StockKind::lossLengthPass, "LL-B-102", kFirstDay + 3 * kDay + 1500},
    {1, StockKind::powerMeter, "PM-B-101", kFirstDay + 3 * kDay + 2100},
    {2, StockKind::copperPass, "D-101-A", kFirstDay + 7 * kDay + 300},
    {2, StockKind::copperFail, "D-102-B", kFirstDay + 7 * kDay + 420},
    {2, StockKind::copperPass, "D-102-B", kFirstDay + 7 * kDay + 3900},
    {3, StockKind::coax, "CATV-03", kFirstDay + 9 * kDay + 1000},
    {3, StockKind::lossLengthPass, "Riser 7 \"B\"", kFirstDay + 9 * kDay + 2000},
    {4, StockKind::lossLengthPass, "AX-01", kFirstDay + 10 * kDay + 700},
    {0, StockKind::otdrMacrobend, "OTDR-PP-A04", kFirstDay + 2 * kDay + 7800},
    {1, StockKind::copperChannel, "B-2-14", kFirstDay + 4 * kDay + 800},
    {1, StockKind::copperPassStar, "B-2-15", kFirstDay + 4 * kDay + 1300},
    {1, StockKind::copperCat5e, "B-2-16", kFirstDay + 4 * kDay + 1900},
    {3, StockKind::copperOpen, "ONH-1-01", kFirstDay + 8 * kDay + 600},
    {3, StockKind::copperShort, "ONH-1-02", kFirstDay + 8 * kDay + 1000},
    {3, StockKind::copperReversed, "ONH-1-03", kFirstDay + 8 * kDay + 1500},
    {3, StockKind::copperCrossed, "ONH-1-04", kFirstDay + 8 * kDay + 1900},
    {3, StockKind::copperSplit, "ONH-1-05", kFirstDay + 8 * kDay + 2400},
    {3, StockKind::copperMiswire, "ONH-1-06", kFirstDay + 8 * kDay + 2800},
    {3, StockKind::copperShieldOpen, "ONH-1-07", kFirstDay + 8 * kDay + 3300},
    {3, StockKind::copperTooLong, "ONH-1-08", kFirstDay + 8 * kDay + 3700},
    {4, StockKind::copperIso, "AX-02", kFirstDay + 10 * kDay + 1500},
    {4, StockKind::copperUnbalance, "AX-03", kFirstDay + 10 * kDay + 2000},
};

// Besides the cases above, the ordinary run of the crew's days: links that pass, the odd one that fails,
// over every project but the data center (whose three records the stock keeps as they are).
constexpr int kOrdinaryRecords = 90;
constexpr size_t kOrdinaryProjects[] = {0, 1, 3, 4};
constexpr size_t kOrdinaryLinks = 30;

// A file name for the tester's card: the key, then the cable id with what a card cannot hold replaced.
std::string fileNameFor(int64_t key, const std::string& cableId) {
    std::string safe;
    for (char c : cableId) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ' ||
                           c == '-' || c == '_' || c == '.';
        safe.push_back(plain ? c : '_');
    }
    char head[32];
    std::snprintf(head, sizeof head, "%06lld_", static_cast<long long>(key));
    return head + safe + ".res";
}

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// One project's database, filled in one transaction.
class ProjectDb {
public:
    explicit ProjectDb(const fs::path& folder)
        : _folder(folder),
          _db(folder / kProjectDbName),
          _create(_db,
                  "CREATE TABLE IF NOT EXISTS Results (key INTEGER PRIMARY KEY, timestamp INTEGER, type INTEGER, "
                  "name TEXT, status INTEGER, fileSize INTEGER, fileName TEXT, lengthScaledValue INTEGER, "
                  "lengthScaleFactor INTEGER, uploaded INTEGER NOT NULL DEFAULT 0)") {
        _create.run();
        _db.exec("BEGIN");
        _insert = std::make_unique<SimStatement>(
            _db,
            "INSERT INTO Results (key, timestamp, type, name, status, fileSize, fileName, lengthScaledValue, "
            "lengthScaleFactor) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    }

    // Writes the file and its row; the row is read back from the file so the two always agree.
    void add(const std::vector<uint8_t>& bytes) {
        ResultSummary s;
        if (bytes.empty() ||
            readResultSummary(s, bytes.data(), static_cast<uint32_t>(bytes.size())) != ResultReaderStatus::success) {
            throw std::runtime_error("a stocked result does not read back");
        }
        const int64_t key = ++_lastKey;
        const std::string fileName = fileNameFor(key, s.resultName);
        writeBytes(_folder / fileName, bytes);
        // The card stores the length's raw 32 bits: "unknown" is 0x80000001 whatever the scale.
        const auto rawLength = static_cast<int64_t>(static_cast<uint32_t>(s.length.value.value));
        _insert->bind(1, key)
            .bind(2, s.timeStamp)
            .bind(3, static_cast<int64_t>(s.resultType))
            .bind(4, s.resultName)
            .bind(5, static_cast<int64_t>(s.status))
            .bind(6, static_cast<int64_t>(bytes.size()))
            .bind(7, fileName)
            .bind(8, s.length.value.isNaN() ? rawLength : static_cast<int64_t>(s.length.value.value))
            .bind(9, static_cast<int64_t>(s.length.value.scaledTo));
        _insert->run();
    }

    void commit() {
        _insert.reset();
        _db.exec("COMMIT");
    }

private:
    fs::path _folder;
    SimDb _db;
    SimStatement _create;
    std::unique_ptr<SimStatement> _insert;
    int64_t _lastKey = 0;
};

void writeMaster(const fs::path& projects) {
    const fs::path temp = projects / (std::string(kMasterDbName) + ".new");
    fs::remove(temp);
    {
        SimDb db(temp);
        db.exec("CREATE TABLE Projects (name TEXT, dirName TEXT, quarnId TEXT, parentQuarnId TEXT)");
        db.exec("BEGIN");
        SimStatement insert(db, "INSERT INTO Projects (name, dirName, quarnId, parentQuarnId) VALUES (?, ?, ?, ?)");
        for (const auto& p : kProjects) {
            insert.bind(1, std::string(p.name))
                .bind(2, std::string(p.dirName))
                .bind(3, std::string(p.quarnId))
                .bind(4, std::string(p.parentQuarnId));
            insert.run();
        }
        db.exec("COMMIT");
    }
    fs::rename(temp, projects / kMasterDbName);
}

void addOrdinary(std::vector<std::unique_ptr<ProjectDb>>& dbs) {
    LinkGen::Fleet crew(2026, std::size(kOrdinaryProjects), (kFirstDay / kDay + 1) * kDay, "W", kOrdinaryLinks);
    for (int i = 0; i < kOrdinaryRecords; ++i) {
        const LinkGen::FleetRecord r = crew.next();
        dbs[kOrdinaryProjects[r.project]]->add(r.bytes);
    }
}

// Generated results for scale runs: a crew's weeks of work before the stocked days, over every project.
void addGenerated(std::vector<std::unique_ptr<ProjectDb>>& dbs, const StockOptions& options) {
    const auto mix = options.mix == StockMix::copper ? LinkGen::FleetMix::copper
                     : options.mix == StockMix::otdr ? LinkGen::FleetMix::otdr
                                                     : LinkGen::FleetMix::every;
    LinkGen::Fleet fleet(options.seed, dbs.size(), (kFirstDay / kDay - 120) * kDay, "GEN", LinkGen::Fleet::kPoolSize,
                         mix);
    for (int i = 0; i < options.extraRecords; ++i) {
        const LinkGen::FleetRecord r = fleet.next();
        dbs[r.project]->add(r.bytes);
    }
}

}  // namespace

bool wantsStock(const fs::path& root) {
    std::error_code ec;
    if (!fs::exists(root, ec)) return true;
    return fs::is_directory(root, ec) && fs::is_empty(root, ec);
}

void stockTester(const fs::path& root, const StockOptions& options) {
    const fs::path projects = root / fs::path(kProjectsFolder).relative_path();
    std::error_code ec;
    if (fs::exists(projects / kMasterDbName, ec)) return;
    for (const char* folder : {"tmp", "var/log"}) fs::create_directories(root / folder);
    fs::create_directories(projects);

    std::vector<std::unique_ptr<ProjectDb>> dbs;
    for (const auto& p : kProjects) {
        const fs::path folder = projects / p.dirName;
        fs::create_directories(folder);
        fs::remove(folder / kProjectDbName);  // left by an interrupted run
        dbs.push_back(std::make_unique<ProjectDb>(folder));
    }
    for (const auto& r : kRecords) dbs[r.project]->add(stockResult(r.kind, r.cableId, r.when));
    addOrdinary(dbs);
    if (options.extraRecords > 0) addGenerated(dbs, options);
    for (auto& db : dbs) db->commit();
    writeMaster(projects);
}

}  // namespace Kestrix::Sim
