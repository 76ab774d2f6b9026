#include "SimState.h"

#include "SimStock.h"

#include <algorithm>
#include <utility>

namespace Kestrix::Sim {

SimState::SimState(TesterSim& owner_, SimOptions options_)
    : owner(owner_), options(std::move(options_)), vfs(options.root), _faults(options.faults) {}

void SimState::addCommand(const std::string& name, CommandHandler handler) {
    std::lock_guard lock(_mutex);
    _commands[name] = std::move(handler);
}

std::optional<CommandHandler> SimState::command(const std::string& name) const {
    std::lock_guard lock(_mutex);
    const auto it = _commands.find(name);
    if (it == _commands.end()) {
        return std::nullopt;
    }
    return it->second;
}

void SimState::setReply(const std::string& line, const std::string& text) {
    std::lock_guard lock(_mutex);
    _replies[line] = text;
}

void SimState::clearReply(const std::string& line) {
    std::lock_guard lock(_mutex);
    _replies.erase(line);
}

std::optional<std::string> SimState::reply(const std::string& line) const {
    std::lock_guard lock(_mutex);
    const auto it = _replies.find(line);
    if (it == _replies.end()) {
        return std::nullopt;
    }
    return it->second;
}

void SimState::record(const std::string& line) {
    std::lock_guard lock(_mutex);
    _journal.push_back(line);
}

std::vector<std::string> SimState::journal() const {
    std::lock_guard lock(_mutex);
    return _journal;
}

std::vector<std::string> SimState::downloads() const {
    std::lock_guard lock(_mutex);
    return _downloads;
}

void SimState::clearJournal() {
    std::lock_guard lock(_mutex);
    _journal.clear();
    _downloads.clear();
}

void SimState::setFaults(const SimFaults& faults) {
    std::lock_guard lock(_mutex);
    _faults = faults;
    _commandsSeen = 0;
    _scpBytesSeen = 0;
    _downloadsSeen = 0;
}

SimFaults SimState::faults() const {
    std::lock_guard lock(_mutex);
    return _faults;
}

bool SimState::dropOnCommand() {
    std::lock_guard lock(_mutex);
    if (_faults.dropAfterCommands < 0) {
        return false;
    }
    if (_commandsSeen >= _faults.dropAfterCommands) {
        _faults.dropAfterCommands = -1;
        _commandsSeen = 0;
        return true;
    }
    ++_commandsSeen;
    return false;
}

bool SimState::dropOnCommandName(const std::string& line) {
    std::lock_guard lock(_mutex);
    if (_faults.noReplyTo.empty()) {
        return false;
    }
    const size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) {
        return false;
    }
    const size_t end = std::min(line.find_first_of(" ;>", start), line.size());
    if (line.compare(start, end - start, _faults.noReplyTo) != 0) {
        return false;
    }
    _faults.noReplyTo.clear();
    return true;
}

int64_t SimState::passScpBytes(int64_t n, bool& drop) {
    std::lock_guard lock(_mutex);
    drop = false;
    if (_faults.dropAfterScpBytes < 0) {
        return n;
    }
    const int64_t left = std::max<int64_t>(0, _faults.dropAfterScpBytes - _scpBytesSeen);
    const int64_t pass = std::min(n, left);
    _scpBytesSeen += pass;
    if (_scpBytesSeen >= _faults.dropAfterScpBytes) {
        drop = true;
        _faults.dropAfterScpBytes = -1;
        _scpBytesSeen = 0;
    }
    return pass;
}

}  // namespace Kestrix::Sim

namespace Kestrix::Sim {

SimState::DownloadPlan SimState::planDownload(const std::string& testerPath) {
    const std::string path = SimVfs::normalize(testerPath).value_or(testerPath);
    const std::string projects = std::string(kProjectsFolder) + "/";
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::lock_guard lock(_mutex);
    _downloads.push_back(path);
    DownloadPlan plan;
    if (_faults.dropDuringDownload > 0 && ++_downloadsSeen >= _faults.dropDuringDownload) {
        plan.dropHalfWay = true;
        _faults.dropDuringDownload = -1;
        _downloadsSeen = 0;
    }
    const bool projectDb = path.compare(0, projects.size(), projects) == 0 && name == kProjectDbName;
    if (projectDb && _faults.dropListing > 0) {
        plan.dropHalfWay = true;
        --_faults.dropListing;
    }
    plan.truncate = !_faults.truncateFile.empty() && (path == _faults.truncateFile || name == _faults.truncateFile);
    plan.corrupt =
        (_faults.corruptMasterDb && path == projects + kMasterDbName) ||
        (!_faults.corruptProjectDb.empty() && path == projects + _faults.corruptProjectDb + "/" + kProjectDbName);
    return plan;
}

}  // namespace Kestrix::Sim
