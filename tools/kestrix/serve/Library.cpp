#include "Library.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <unordered_map>

#include "tester/host/HostRecord.h"
#include "tester/host/HostStatus.h"
#include "tester/import/ImportFolder.h"
#include "tester/record/TestRecordTarvel.h"

namespace fs = std::filesystem;

namespace kx::serve {

using Kestrix::Tester::kHostStatusFail;
using Kestrix::Tester::kHostStatusPassAcceptable;
using Kestrix::Tester::kHostStatusUnknown;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr uintmax_t kMaxHostRecordBytes = uintmax_t(64) << 20;
constexpr size_t kMaxTextBytes = 1024;
constexpr size_t kMaxProblemsListed = 20;

// A path the index names: relative, plain components only, with the expected extension.
bool plainRelative(const std::string& path, const std::string& extension) {
    if (path.empty() || path.size() > 4096 || path.find('\0') != std::string::npos || path.front() == '/' ||
        path.find('\\') != std::string::npos)
        return false;
    if (path.size() <= extension.size() || path.compare(path.size() - extension.size(), extension.size(), extension))
        return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

bool inside(const fs::path& dir, const fs::path& p) {
    const auto rel = p.lexically_relative(dir);
    return !rel.empty() && *rel.begin() != ".." && !rel.is_absolute() && rel != ".";
}

std::string clip(std::string s) {
    if (s.size() > kMaxTextBytes) s.resize(kMaxTextBytes);
    return s;
}

std::string text(const Json::Value& v) { return v.isString() ? clip(v.asString()) : std::string(); }

std::string printablePath(const std::string& s) {
    std::string out;
    for (unsigned char c : s.substr(0, 200)) out.push_back(c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c));
    return out;
}

// Size and modification time of a regular file (links followed); false when it is none.
bool regularFile(const fs::path& p, uint64_t& size, int64_t& modified) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    size = static_cast<uint64_t>(st.st_size);
    modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

bool readBytes(const fs::path& p, uint64_t maxBytes, std::vector<uint8_t>& out) {
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > maxBytes) return false;
    in.seekg(0);
    out.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(out.data()), size);
    return static_cast<bool>(in) || out.empty();
}

int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

int64_t parseIsoTime(const std::string& t) {
    // YYYY-MM-DDTHH:MM:SSZ
    if (t.size() != 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' || t[16] != ':' || t[19] != 'Z')
        return kNoTime;
    const auto num = [&](size_t at, size_t n, int& out) {
        out = 0;
        for (size_t i = at; i < at + n; ++i) {
            if (t[i] < '0' || t[i] > '9') return false;
            out = out * 10 + (t[i] - '0');
        }
        return true;
    };
    int y, mo, d, h, mi, s;
    if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, d) || !num(11, 2, h) || !num(14, 2, mi) || !num(17, 2, s))
        return kNoTime;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return kNoTime;
    return daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 + h * 3600 + mi * 60 + s;
}

std::string timeText(int64_t t) {
    if (t == kNoTime) return "";
    const auto tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (!gmtime_r(&tt, &tm)) return "";
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
    return buf;
}

double RecordFacts::worstMargin() const { return row.worst ? row.worst->margin : kNaN; }

uint32_t RecordIds::idFor(const std::string& folder, const std::string& result) {
    std::lock_guard<std::mutex> lock(_mutex);
    auto [it, added] = _ids.emplace(folder + '\0' + result, static_cast<uint32_t>(_ids.size() + 1));
    (void)added;
    return it->second;
}

std::shared_ptr<Library> Library::load(const std::vector<std::string>& folders, RecordIds& ids, std::string& error) {
    std::shared_ptr<Library> lib(new Library());
    for (const std::string& given : folders) {
        std::error_code ec;
        Folder f;
        f.given = given;
        f.canonical = fs::canonical(given, ec);
        if (ec || !fs::is_directory(f.canonical, ec)) {
            error = "no such folder: " + given;
            return nullptr;
        }
        lib->_folders.push_back(std::move(f));
    }
    for (uint32_t i = 0; i < lib->_folders.size(); ++i) lib->loadFolder(i, ids);
    std::sort(lib->_records.begin(), lib->_records.end(),
              [](const LibraryRecord& a, const LibraryRecord& b) { return a.id < b.id; });
    uint32_t maxId = 0;
    for (const auto& r : lib->_records) maxId = std::max(maxId, r.id);
    lib->_posOfId.assign(size_t(maxId) + 1, npos);
    for (size_t p = 0; p < lib->_records.size(); ++p) lib->_posOfId[lib->_records[p].id] = p;
    lib->buildGroups();
    lib->_facts.resize(lib->_records.size());
    lib->_factsReady = std::make_unique<std::atomic<bool>[]>(lib->_records.size());
    return lib;
}

namespace {

void noteProblem(Library::Folder& folder, const std::string& problem) {
    if (folder.problems.size() < kMaxProblemsListed) folder.problems.push_back(problem);
}

// The records the folder's index lists as imported, each file once and only inside the folder; `known` gets
// their paths.
void loadIndexed(Library::Folder& folder, uint32_t index, RecordIds& ids, std::set<std::string>& known,
                 std::vector<LibraryRecord>& out) {
    const fs::path& dir = folder.canonical;
    size_t missing = 0, refused = 0;
    std::error_code ec;
    const auto imported = Kestrix::Import::ImportFolder::open(dir);
    if (!imported && fs::is_regular_file(fs::symlink_status(dir / Kestrix::Import::kIndexName, ec)))
        noteProblem(folder, "index.json cannot be read; its records are listed from their files");
    static const std::vector<Kestrix::Import::FolderEntry> kNone;
    if (imported) folder.tester = clip(imported->testerName());
    for (const Kestrix::Import::FolderEntry& e : imported ? imported->entries() : kNone) {
        if (!e.imported) continue;
        LibraryRecord r;
        r.result = e.result;
        if (!plainRelative(r.result, ".result")) {
            ++refused;
            continue;
        }
        if (!known.insert(r.result).second) continue;
        if (!regularFile(dir / r.result, r.size, r.modified)) {
            ++missing;
            continue;
        }
        r.folder = index;
        r.project = clip(e.project);
        r.site = clip(e.site);
        r.cableId = text(e.json["cableId"]);
        r.testTime = parseIsoTime(e.testDate);
        const Json::Value& status = e.json["hostStatus"];
        r.status = status.isInt() && status.asInt() >= kHostStatusFail && status.asInt() <= kHostStatusPassAcceptable
                       ? status.asInt()
                       : kHostStatusUnknown;
        r.lengthM = e.json["lengthM"].isDouble() ? e.json["lengthM"].asDouble() : kNaN;
        if (plainRelative(e.record, ".json")) r.record = e.record;
        r.id = ids.idFor(dir.string(), r.result);
        out.push_back(std::move(r));
    }
    if (refused)
        noteProblem(folder, std::to_string(refused) + " record(s) of index.json name a file outside the folder");
    if (missing) noteProblem(folder, std::to_string(missing) + " record(s) of index.json have no result file");
}

// Result files the index does not name (or a folder without an index): their own summary names them. The
// project and site are the tester database's, and their host record is only known through the index.
void loadUnlisted(Library::Folder& folder, uint32_t index, RecordIds& ids, const std::set<std::string>& known,
                  std::vector<LibraryRecord>& out) {
    const fs::path& dir = folder.canonical;
    std::error_code ec;
    std::vector<std::string> found;
    for (fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (it->is_symlink(ec) || !it->is_regular_file(ec)) continue;
        const std::string name = p.filename().string();
        if (name.empty() || name[0] == '.' || p.extension() != ".result") continue;
        std::string rel = p.lexically_relative(dir).generic_string();
        if (plainRelative(rel, ".result") && !known.count(rel)) found.push_back(std::move(rel));
    }
    if (ec) noteProblem(folder, "the folder cannot be listed whole: " + ec.message());
    std::sort(found.begin(), found.end());
    for (const std::string& rel : found) {
        LibraryRecord r;
        r.folder = index;
        r.result = rel;
        std::vector<uint8_t> bytes;
        if (!regularFile(dir / rel, r.size, r.modified) || !readBytes(dir / rel, Library::kMaxResultBytes, bytes))
            continue;
        Kestrix::Tester::RecordSummary summary;
        if (!bytes.empty() && Kestrix::Tester::TestRecordTarvel::LoadSummary(&summary, bytes)) {
            r.cableId = clip(summary.CableID);
            r.status = summary.Status;
            r.testTime = Kestrix::Tester::HxDataDate::SecondsSince1970(summary.TestDate);
            r.lengthM = summary.LengthMeters;
        } else {
            noteProblem(folder, "not a readable result file: " + printablePath(rel));
            r.lengthM = kNaN;
        }
        r.id = ids.idFor(dir.string(), r.result);
        out.push_back(std::move(r));
    }
}

}  // namespace

void Library::loadFolder(uint32_t index, RecordIds& ids) {
    // The index says which files are results and where each one's host record lies.
    std::set<std::string> known;
    loadIndexed(_folders[index], index, ids, known, _records);
    loadUnlisted(_folders[index], index, ids, known, _records);
}

void Library::buildGroups() {
    std::unordered_map<std::string, size_t> byKey;
    _groupOf.assign(_records.size(), 0);
    for (size_t p = 0; p < _records.size(); ++p) {
        const LibraryRecord& r = _records[p];
        if (r.cableId.empty()) {
            _groupOf[p] = _groups.size();
            _groups.push_back({p});
            continue;
        }
        std::string key = std::to_string(r.folder);
        for (const std::string* part : {&r.project, &r.site, &r.cableId}) {
            key.push_back('\0');
            key += *part;
        }
        auto [it, added] = byKey.emplace(std::move(key), _groups.size());
        if (added) _groups.emplace_back();
        _groupOf[p] = it->second;
        _groups[it->second].push_back(p);
    }
    for (auto& g : _groups)
        std::sort(g.begin(), g.end(), [this](size_t a, size_t b) {
            const auto& ra = _records[a];
            const auto& rb = _records[b];
            return ra.testTime != rb.testTime ? ra.testTime > rb.testTime : ra.id > rb.id;
        });
}

size_t Library::find(uint32_t id) const { return id < _posOfId.size() ? _posOfId[id] : npos; }

std::string Library::pathOf(size_t pos, const std::string& relative) const {
    if (pos >= _records.size() || relative.empty()) return "";
    const fs::path& dir = _folders[_records[pos].folder].canonical;
    std::error_code ec;
    // Links are resolved: a link below the folder that leads out of it is refused like a path that does.
    const fs::path real = fs::canonical(dir / relative, ec);
    if (ec || !inside(dir, real)) return "";
    return real.string();
}

std::string Library::resultFile(size_t pos) const {
    return pos < _records.size() ? pathOf(pos, _records[pos].result) : "";
}

std::string Library::givenPath(size_t pos) const {
    if (pos >= _records.size()) return "";
    return (fs::path(_folders[_records[pos].folder].given) / _records[pos].result).generic_string();
}

std::vector<uint8_t> Library::readResult(size_t pos, std::string& error, uint64_t maxBytes) const {
    std::vector<uint8_t> bytes;
    const std::string path = resultFile(pos);
    if (path.empty()) {
        error = "the result file is gone or lies outside its folder";
    } else if (!readBytes(path, maxBytes, bytes)) {
        error = "the result file cannot be read";
        bytes.clear();
    }
    return bytes;
}

std::string Library::readHostRecord(size_t pos, std::string& error) const {
    const std::string path = pos < _records.size() ? pathOf(pos, _records[pos].record) : "";
    std::vector<uint8_t> bytes;
    if (path.empty() || !readBytes(path, kMaxHostRecordBytes, bytes)) {
        error = "no host record beside the result";
        return "";
    }
    return std::string(bytes.begin(), bytes.end());
}

const RecordFacts* Library::facts(size_t pos) const {
    if (pos >= _records.size() || !_factsReady[pos].load(std::memory_order_acquire)) return nullptr;
    return &_facts[pos];
}

void Library::setFacts(size_t pos, RecordFacts facts) {
    if (pos >= _records.size()) return;
    std::lock_guard<std::mutex> lock(_factsMutex);
    if (_factsReady[pos].load(std::memory_order_relaxed)) return;
    _facts[pos] = std::move(facts);
    _factsReady[pos].store(true, std::memory_order_release);
    ++_factsKnown;
}

void Library::adoptFacts(const Library& older) {
    std::unordered_map<uint32_t, size_t> oldPos;
    for (size_t p = 0; p < older._records.size(); ++p) oldPos[older._records[p].id] = p;
    for (size_t p = 0; p < _records.size(); ++p) {
        auto it = oldPos.find(_records[p].id);
        if (it == oldPos.end()) continue;
        const LibraryRecord& was = older._records[it->second];
        const RecordFacts* f = older.facts(it->second);
        if (f && was.size == _records[p].size && was.modified == _records[p].modified) setFacts(p, *f);
    }
}

}  // namespace kx::serve
