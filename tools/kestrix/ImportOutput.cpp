#include "ImportOutput.h"

#include <stdexcept>

namespace fs = std::filesystem;

namespace kx::cli {
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

}  // namespace

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
    _stale.assign(records.size(), std::string());
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string before = _planner->previousStem(records[i].identity);
        // Only this record's own earlier files, and only when no record of this run has their name now.
        if (!before.empty() && before != _planned[i] && !_planner->plannedFor(before)) _stale[i] = before;
    }
}

void ImportOutput::write(size_t i, const std::vector<uint8_t>& result, const std::string& hostRecordJson) {
    const fs::path resultFile = inside(resultPath(i));
    const fs::path recordFile = inside(recordPath(i));
    const fs::path folder = makeFolderInside(_canonicalDir, resultFile.parent_path().lexically_relative(_canonicalDir));
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

}  // namespace kx::cli
