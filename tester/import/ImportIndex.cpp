#include "tester/import/ImportIndex.h"

#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <json/writer.h>

#include "tester/record/HostRecordJson.h"

namespace fs = std::filesystem;

namespace Kestrix::Import {
namespace {

constexpr const char* kResultSuffix = ".result";

}  // namespace

std::string resultStem(const std::string& resultPath) {
    const size_t n = std::char_traits<char>::length(kResultSuffix);
    if (resultPath.size() <= n || resultPath.compare(resultPath.size() - n, n, kResultSuffix) != 0) return "";
    return resultPath.substr(0, resultPath.size() - n);
}

ImportIndex::ImportIndex(fs::path dir, const std::string& testerName, const std::string& testerSerial)
    : _dir(std::move(dir)) {
    std::error_code ec;
    const fs::path index = path();
    if (!fs::is_regular_file(fs::symlink_status(index, ec))) return;
    auto folder = ImportFolder::open(_dir);
    if (!folder) {
        // Whatever it held is kept for a person to look at; this run's index replaces it.
        fs::rename(index, _dir / (std::string(kIndexName) + ".unreadable"), ec);
        return;
    }
    // An index written before entries carried their tester's serial speaks for one tester, named at the top.
    const bool sameTester = folder->testerSerial().empty() && folder->testerName() == testerName;
    for (const FolderEntry& entry : folder->entries()) {
        FolderEntry e = entry;
        if (!e.serialStored) {
            if (sameTester) e.identity.testerSerial = testerSerial;
            e.json["testerSerial"] = e.identity.testerSerial;
        }
        _byIdentity.emplace(e.identity, _previous.size());
        _previous.push_back(std::move(e));
    }
}

ImportIndex::~ImportIndex() {
    if (_out) {
        std::fclose(_out);
        ::unlink(_temp.c_str());
    }
}

const FolderEntry* ImportIndex::previousOf(const RecordIdentity& id) const {
    const auto it = _byIdentity.find(id);
    return it == _byIdentity.end() ? nullptr : &_previous[it->second];
}

std::vector<std::pair<RecordIdentity, std::string>> ImportIndex::owners() const {
    std::vector<std::pair<RecordIdentity, std::string>> out;
    for (const auto& e : _previous) {
        const std::string stem = e.imported ? resultStem(e.result) : std::string();
        if (!stem.empty()) out.emplace_back(e.identity, stem);
    }
    return out;
}

void ImportIndex::begin(const std::string& testerName, const std::string& testerSerial) {
    _touched.assign(_previous.size(), 0);
    _temp = (_dir / ".index.json.tmp-XXXXXX").string();
    const int fd = ::mkstemp(_temp.data());
    if (fd < 0 || !(_out = ::fdopen(fd, "w"))) {
        const std::string reason = std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(_temp.c_str());
        }
        throw std::runtime_error("cannot write " + path().string() + ": " + reason);
    }
    _first = true;
    std::string head = "{\n   \"tester\" : " + Json::FastWriter().write(Json::Value(testerName));
    head.pop_back();
    head += ",\n   \"testerSerial\" : " + Json::FastWriter().write(Json::Value(testerSerial));
    head.pop_back();
    std::fprintf(_out, "%s,\n   \"records\" : [", head.c_str());
}

void ImportIndex::write(const Json::Value& entry) {
    std::string text = Tester::hostRecordJsonText(entry);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::fprintf(_out, "%s\n%s", _first ? "" : ",", text.c_str());
    _first = false;
}

void ImportIndex::add(const RecordIdentity& id, bool imported, const Json::Value& entry) {
    if (!_out) return;
    const auto it = _byIdentity.find(id);
    if (it != _byIdentity.end()) {
        _touched[it->second] = 1;
        const FolderEntry& before = _previous[it->second];
        if (!imported && before.imported) {
            write(before.json);
            return;
        }
    }
    write(entry);
}

void ImportIndex::end(uint64_t imported, uint64_t failed, const Json::Value& notListed, uint64_t unlisted) {
    if (!_out) return;
    for (size_t i = 0; i < _previous.size(); ++i)
        if (!_touched[i]) write(_previous[i].json);
    std::string list = Tester::hostRecordJsonText(notListed);
    while (!list.empty() && list.back() == '\n') list.pop_back();
    std::fprintf(_out,
                 "\n   ],\n   \"notListed\" : %s,\n   \"imported\" : %llu,\n   \"failed\" : %llu,\n"
                 "   \"unlisted\" : %llu\n}\n",
                 list.c_str(), static_cast<unsigned long long>(imported), static_cast<unsigned long long>(failed),
                 static_cast<unsigned long long>(unlisted));
    ::fchmod(::fileno(_out), 0644);
    const bool written = std::fflush(_out) == 0 && !std::ferror(_out) && ::fsync(::fileno(_out)) == 0;
    const std::string reason = std::strerror(errno);
    const bool closed = std::fclose(_out) == 0;
    _out = nullptr;
    if (!written || !closed || ::rename(_temp.c_str(), path().c_str()) != 0) {
        ::unlink(_temp.c_str());
        throw std::runtime_error("cannot write " + path().string() + (written ? "" : ": " + reason));
    }
}

}  // namespace Kestrix::Import
