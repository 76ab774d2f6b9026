#include "ImportOutput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unordered_map>

#include <json/reader.h>
#include <json/writer.h>

#include "tester/record/RecordVerdict.h"

namespace fs = std::filesystem;

namespace kx::cli {
namespace {

bool reserved(unsigned char c) {
    return c < 0x20 || c == 0x7f || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
           c == '>' || c == '|';
}

// True when `p` (made absolute and free of symlinks) lies inside `dir`.
bool within(const fs::path& dir, const fs::path& p) {
    auto rel = p.lexically_relative(dir);
    return !rel.empty() && *rel.begin() != ".." && !rel.is_absolute();
}

std::string readWholeFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

std::string safeName(const std::string& name, size_t maxBytes) {
    std::string out;
    for (unsigned char c : name) out += reserved(c) ? '_' : static_cast<char>(c);
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
    size_t lead = 0;
    while (lead < out.size() && (out[lead] == '.' || out[lead] == ' ')) ++lead;
    if (lead > 0) out = std::string(lead, '_') + out.substr(lead);
    if (out.size() > maxBytes) {
        size_t cut = maxBytes;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    if (out.empty()) out.push_back('_');
    return out;
}

void writeAtomically(const fs::path& path, const std::string& bytes) {
    std::string name(1, '.');
    name += path.filename().string();
    name += ".tmp-XXXXXX";
    std::string temp = (path.parent_path() / name).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const std::string reason = std::strerror(errno);
            ::close(fd);
            ::unlink(temp.c_str());
            throw std::runtime_error("cannot write " + path.string() + ": " + reason);
        }
        done += static_cast<size_t>(n);
    }
    // mkstemp makes the file private; a result file is an ordinary document.
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(temp.c_str());
        throw std::runtime_error("cannot write " + path.string() + ": " + reason);
    }
}

void writeAtomically(const fs::path& path, const std::vector<uint8_t>& bytes) {
    writeAtomically(path, std::string(bytes.begin(), bytes.end()));
}

ImportOutput::ImportOutput(fs::path dir) : _dir(std::move(dir)) {
    std::error_code ec;
    fs::create_directories(_dir, ec);
    _canonicalDir = fs::canonical(_dir, ec);
    if (ec) throw std::runtime_error("cannot make the folder " + _dir.string() + ": " + ec.message());
    const fs::path index = _dir / "index.json";
    if (!fs::is_regular_file(index, ec)) return;
    Json::Value old;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(readWholeFile(index));
    if (!Json::parseFromStream(builder, in, &old, &errors) || !old.isObject() || !old["records"].isArray()) return;
    for (const auto& r : old["records"]) {
        if (r.isObject() && r["testerFile"].isString() && r["result"].isString())
            _previous[r["testerFile"].asString()] = r["result"].asString();
    }
}

fs::path ImportOutput::inside(const std::string& relative) const {
    const fs::path p = (_canonicalDir / relative).lexically_normal();
    if (!within(_canonicalDir, p))
        throw std::runtime_error("refused a path outside " + _dir.string() + ": " + relative);
    return p;
}

void ImportOutput::plan(const std::vector<OutputRecord>& records) {
    _planned.clear();
    _plannedSet.clear();
    _conflicts.assign(records.size(), "");
    _testerFiles.clear();
    std::vector<std::string> stems;
    std::unordered_map<std::string, int> uses;
    for (const auto& r : records) {
        std::string stem = safeName(r.project);
        if (!r.site.empty()) {
            stem.push_back('/');
            stem += safeName(r.site);
        }
        stem.push_back('/');
        stem += safeName(r.cableId);
        ++uses[stem];
        stems.push_back(std::move(stem));
        _testerFiles.push_back(r.testerFile);
    }
    // Result paths of an earlier run, and whose they were.
    std::unordered_map<std::string, std::string> previousOwner;
    for (const auto& [testerFile, result] : _previous) previousOwner[result] = testerFile;
    for (size_t i = 0; i < records.size(); ++i) {
        // A re-test keeps the cable id: each copy is named by its key as well, so none replaces another.
        // So is a record whose plain name a different record had in an earlier run.
        auto owner = previousOwner.find(stems[i] + ".result");
        const bool takenBefore = owner != previousOwner.end() && owner->second != records[i].testerFile;
        if (uses[stems[i]] > 1 || takenBefore) {
            stems[i].push_back('~');
            stems[i] += std::to_string(records[i].key);
        }
        _planned.push_back(stems[i]);
        _plannedSet.insert(stems[i] + ".result");
    }
}

void ImportOutput::write(size_t i, const std::vector<uint8_t>& result, const std::string& hostRecordJson) {
    const fs::path resultFile = inside(resultPath(i));
    const fs::path recordFile = inside(recordPath(i));
    const fs::path folder = resultFile.parent_path();
    std::error_code ec;
    fs::create_directories(folder, ec);
    // A folder that is a link to elsewhere would take the files out of DIR.
    const fs::path real = fs::canonical(folder, ec);
    if (ec || !(real == _canonicalDir || within(_canonicalDir, real)))
        throw std::runtime_error("refused folder " + folder.string());
    writeAtomically(resultFile, result);
    writeAtomically(recordFile, hostRecordJson);
    _conflicts.at(i) = Kestrix::Tester::verdictConflictOf(result);

    auto old = _previous.find(_testerFiles.at(i));
    if (old != _previous.end() && old->second != resultPath(i) && !_plannedSet.count(old->second)) {
        const std::string& oldResult = old->second;
        const std::string suffix = ".result";
        if (oldResult.size() > suffix.size() &&
            oldResult.compare(oldResult.size() - suffix.size(), suffix.size(), suffix) == 0) {
            try {
                const fs::path stale = inside(oldResult);
                fs::path staleRecord = stale;
                staleRecord.replace_extension(".json");
                if (fs::is_regular_file(fs::symlink_status(stale, ec))) fs::remove(stale, ec);
                if (fs::is_regular_file(fs::symlink_status(staleRecord, ec))) fs::remove(staleRecord, ec);
            } catch (const std::runtime_error&) {
                // An index edited to point outside DIR is ignored.
            }
        }
    }
}

ImportOutput::~ImportOutput() {
    if (_index) {
        std::fclose(_index);
        ::unlink(_indexTemp.c_str());
    }
}

void ImportOutput::beginIndex(const std::string& tester) {
    _indexTemp = (_dir / ".index.json.tmp-XXXXXX").string();
    const int fd = ::mkstemp(_indexTemp.data());
    if (fd < 0 || !(_index = ::fdopen(fd, "w"))) {
        if (fd >= 0) ::close(fd);
        throw std::runtime_error("cannot write " + (_dir / "index.json").string() + ": " + std::strerror(errno));
    }
    _firstEntry = true;
    _entries = 0;
    const std::string head = "{\n   \"tester\" : " + Json::FastWriter().write(Json::Value(tester));
    std::fprintf(_index, "%s", head.substr(0, head.size() - 1).c_str());
    std::fprintf(_index, ",\n   \"records\" : [");
}

void ImportOutput::addIndexEntry(const Json::Value& entry) {
    if (!_index) return;
    // Entries come in planned order: the n-th is record n.
    Json::Value e = entry;
    const size_t n = _entries++;
    if (n < _conflicts.size() && e["imported"].asBool())
        e["verdictConflict"] = _conflicts[n].empty() ? Json::Value() : Json::Value(_conflicts[n]);
    std::string text = Json::StyledWriter().write(e);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::fprintf(_index, "%s\n%s", _firstEntry ? "" : ",", text.c_str());
    _firstEntry = false;
}

void ImportOutput::endIndex(uint64_t imported, uint64_t failed) {
    if (!_index) return;
    std::fprintf(_index, "\n   ],\n   \"imported\" : %llu,\n   \"failed\" : %llu\n}\n",
                 static_cast<unsigned long long>(imported), static_cast<unsigned long long>(failed));
    ::fchmod(::fileno(_index), 0644);
    const bool ok = std::fflush(_index) == 0 && !std::ferror(_index);
    std::fclose(_index);
    _index = nullptr;
    if (!ok || ::rename(_indexTemp.c_str(), (_dir / "index.json").c_str()) != 0) {
        ::unlink(_indexTemp.c_str());
        throw std::runtime_error("cannot write " + (_dir / "index.json").string());
    }
}

void ImportOutput::writeIndex(const Json::Value& index) {
    writeAtomically(_dir / "index.json", Json::StyledWriter().write(index));
}

}  // namespace kx::cli
