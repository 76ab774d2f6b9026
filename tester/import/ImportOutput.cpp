#include "tester/import/ImportOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include <zlib.h>

namespace fs = std::filesystem;

namespace Kestrix::Import {
namespace {

// Every file and folder below `dir`, relative to it; links are listed, not followed.
std::vector<std::string> entriesBelow(const fs::path& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec))
        out.push_back(it->path().lexically_relative(dir).string());
    return out;
}

// The CRC-32 of a regular file of exactly `size` bytes, read without following a link; none otherwise.
boost::optional<uint32_t> fileCrc(const fs::path& path, int64_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return boost::none;
    struct stat st {};
    boost::optional<uint32_t> out;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == size) {
        uLong crc = ::crc32(0L, Z_NULL, 0);
        std::vector<uint8_t> buffer(256 * 1024);
        int64_t left = size;
        while (left > 0) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            crc = ::crc32(crc, buffer.data(), static_cast<uInt>(n));
            left -= n;
        }
        if (left == 0) out = static_cast<uint32_t>(crc);
    }
    ::close(fd);
    return out;
}

}  // namespace

uint32_t crc32Of(const uint8_t* data, size_t n) {
    uLong crc = ::crc32(0L, Z_NULL, 0);
    constexpr size_t kStep = 1u << 30;  // crc32 takes a uInt length
    for (size_t done = 0; done < n; done += kStep)
        crc = ::crc32(crc, data + done, static_cast<uInt>(std::min(kStep, n - done)));
    return static_cast<uint32_t>(crc);
}

std::string crc32Text(uint32_t crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", crc);
    return text;
}

ImportOutput::ImportOutput(fs::path dir, const std::string& testerName, const std::string& testerSerial)
    : _dir(std::move(dir)) {
    std::error_code ec;
    fs::create_directories(_dir, ec);
    _canonicalDir = fs::canonical(_dir, ec);
    if (ec) throw std::runtime_error("cannot make the folder " + _dir.string() + ": " + ec.message());
    _index = std::make_unique<ImportIndex>(_canonicalDir, testerName, testerSerial);
}

ImportOutput::~ImportOutput() = default;

fs::path ImportOutput::inside(const std::string& relative) const {
    const fs::path p = (_canonicalDir / relative).lexically_normal();
    if (p == _canonicalDir || !isInside(_canonicalDir, p))
        throw std::runtime_error("refused a path outside " + _dir.string() + ": " + relative);
    return p;
}

void ImportOutput::plan(const std::vector<PlannedRecord>& records) {
    _planner = std::make_unique<PathPlanner>(_index->owners(), entriesBelow(_canonicalDir));
    _planned = _planner->plan(records);
    _identities.clear();
    _stale.assign(records.size(), std::string());
    for (size_t i = 0; i < records.size(); ++i) {
        _identities.push_back(records[i].identity);
        const std::string before = _planner->previousStem(records[i].identity);
        // Only this record's own earlier files, and only when no record of this run has their name now.
        if (!before.empty() && before != _planned[i] && !_planner->plannedFor(before)) _stale[i] = before;
    }
}

const FolderEntry* ImportOutput::held(size_t i, int64_t testerSize, const std::string& testDate) const {
    const FolderEntry* e = _index->previousOf(_identities.at(i));
    if (!e || !e->heldAs(testerSize, testDate)) return nullptr;
    if (e->result != resultPath(i) || e->record != recordPath(i)) return nullptr;
    try {
        const fs::path record = inside(recordPath(i));
        std::error_code ec;
        if (!fs::is_regular_file(fs::symlink_status(record, ec))) return nullptr;
        const auto crc = fileCrc(inside(resultPath(i)), e->bytes);
        return crc && *crc == *e->crc32 ? e : nullptr;
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

fs::path ImportOutput::folderOf(const fs::path& relative) {
    const std::string key = relative.parent_path().generic_string();
    {
        std::lock_guard<std::mutex> lock(_foldersMutex);
        const auto it = _folders.find(key);
        if (it != _folders.end()) return it->second;
    }
    const fs::path folder = makeFolderInside(_canonicalDir, relative.parent_path());
    std::lock_guard<std::mutex> lock(_foldersMutex);
    _folders.emplace(key, folder);
    return folder;
}

void ImportOutput::write(size_t i, const std::vector<uint8_t>& result, const std::string& hostRecordJson) {
    const fs::path resultFile = inside(resultPath(i));
    const fs::path recordFile = inside(recordPath(i));
    const fs::path folder = folderOf(resultFile.lexically_relative(_canonicalDir));
    writeAtomically(folder / resultFile.filename(), result, Durability::Later);
    writeAtomically(folder / recordFile.filename(), hostRecordJson, Durability::Later);
    removeStale(i);
}

void ImportOutput::removeStale(size_t i) {
    if (_stale.at(i).empty()) return;
    try {
        for (const char* ext : {".result", ".json"}) {
            const fs::path stale = inside(_stale[i] + ext);
            std::error_code ec;
            // Not through a folder link that leads elsewhere.
            const fs::path folder = fs::canonical(stale.parent_path(), ec);
            if (ec || !isInside(_canonicalDir, folder)) continue;
            if (fs::is_regular_file(fs::symlink_status(stale, ec))) fs::remove(stale, ec);
        }
    } catch (const std::runtime_error&) {
        // An index edited to point outside DIR is ignored.
    }
}

}  // namespace Kestrix::Import
