#include "ImportIndex.h"

#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <json/reader.h>
#include <json/writer.h>

namespace fs = std::filesystem;

namespace kx::cli {
namespace {

constexpr const char* kResultSuffix = ".result";

std::string readWholeFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

ImportIndex::ImportIndex(fs::path dir, const std::string& testerName, const std::string& testerSerial)
    : _dir(std::move(dir)) {
    std::error_code ec;
    const fs::path index = path();
    if (!fs::is_regular_file(fs::symlink_status(index, ec))) return;
    Json::Value old;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::istringstream in(readWholeFile(index));
    if (!Json::parseFromStream(builder, in, &old, &errors) || !old.isObject() || !old["records"].isArray()) {
        // Whatever it held is kept for a person to look at; this run's index replaces it.
        fs::rename(index, _dir / (std::string(kIndexName) + ".unreadable"), ec);
        return;
    }
    // An index written before entries carried their tester's serial speaks for one tester, named at the top.
    const std::string fallbackSerial = old["testerSerial"].isString() ? old["testerSerial"].asString()
                                       : old["tester"].isString() && old["tester"].asString() == testerName
                                           ? testerSerial
                                           : std::string();
    for (const auto& r : old["records"]) {
        if (!r.isObject() || !r["testerFile"].isString() || !r["key"].isIntegral()) continue;
        Entry e;
        e.identity.testerSerial = r["testerSerial"].isString() ? r["testerSerial"].asString() : fallbackSerial;
        e.identity.testerFile = r["testerFile"].asString();
        e.identity.key = r["key"].asInt64();
        e.imported = r["imported"].isBool() && r["imported"].asBool();
        const std::string result = r["result"].isString() ? r["result"].asString() : std::string();
        if (e.imported && endsWith(result, kResultSuffix))
            e.stem = result.substr(0, result.size() - std::char_traits<char>::length(kResultSuffix));
        e.json = r;
        if (!e.json.isMember("testerSerial")) e.json["testerSerial"] = e.identity.testerSerial;
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

const ImportIndex::Entry* ImportIndex::previousOf(const RecordIdentity& id) const {
    const auto it = _byIdentity.find(id);
    return it == _byIdentity.end() ? nullptr : &_previous[it->second];
}

std::vector<std::pair<RecordIdentity, std::string>> ImportIndex::owners() const {
    std::vector<std::pair<RecordIdentity, std::string>> out;
    for (const auto& e : _previous)
        if (!e.stem.empty()) out.emplace_back(e.identity, e.stem);
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
    std::string text = Json::StyledWriter().write(entry);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::fprintf(_out, "%s\n%s", _first ? "" : ",", text.c_str());
    _first = false;
}

void ImportIndex::add(const RecordIdentity& id, bool imported, const Json::Value& entry) {
    if (!_out) return;
    const auto it = _byIdentity.find(id);
    if (it != _byIdentity.end()) {
        _touched[it->second] = 1;
        const Entry& before = _previous[it->second];
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
    std::string list = Json::StyledWriter().write(notListed);
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

}  // namespace kx::cli
