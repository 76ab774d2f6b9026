#pragma once
// What every connection of one simulator shares: options, file system, commands, journal and faults.
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "SimVfs.h"
#include "TesterSim.h"

namespace Kestrix::Sim {

class SimState {
public:
    SimState(TesterSim& owner, SimOptions options);

    TesterSim& owner;
    const SimOptions options;
    const SimVfs vfs;

    void addCommand(const std::string& name, CommandHandler handler);
    std::optional<CommandHandler> command(const std::string& name) const;
    void setReply(const std::string& line, const std::string& text);
    void clearReply(const std::string& line);
    std::optional<std::string> reply(const std::string& line) const;

    void record(const std::string& line);
    std::vector<std::string> journal() const;
    std::vector<std::string> downloads() const;
    void clearJournal();

    void setFaults(const SimFaults& faults);
    SimFaults faults() const;
    // True when this command is the one the connection drops on (the fault then disarms).
    bool dropOnCommand();
    // True when the command line's first word is the one whose reply never comes (the fault then disarms).
    bool dropOnCommandName(const std::string& line);
    // How many of `n` SCP payload bytes may pass; `drop` tells that the connection goes after them.
    int64_t passScpBytes(int64_t n, bool& drop);

    // What the download faults do to one download of `testerPath` (counted as the next download).
    struct DownloadPlan {
        bool dropHalfWay = false;
        bool truncate = false;
        bool corrupt = false;
    };
    DownloadPlan planDownload(const std::string& testerPath);

    std::atomic<int> connections{0};
    std::atomic<bool> screenLocked{false};

private:
    mutable std::mutex _mutex;
    std::map<std::string, CommandHandler> _commands;
    std::map<std::string, std::string> _replies;
    std::vector<std::string> _journal;
    std::vector<std::string> _downloads;
    SimFaults _faults;
    int _commandsSeen = 0;
    int64_t _scpBytesSeen = 0;
    int _downloadsSeen = 0;
};

// The tester's own commands: sysinfo, deferpowerdown, uilock, ls, rm, mkdir, cat, echo, true.
void registerBuiltins(SimState& state);

// The commands of a record import: "smmarkuploaded".
void registerImportCommands(TesterSim& sim);

// The keys of an upload list: a container holding exactly one section of type 201, version 1, whose
// payload is little-endian int32 keys. None for anything else.
std::optional<std::vector<int32_t>> readUploadList(const std::vector<uint8_t>& bytes);

// The "sysinfo" document built from options (styled JSON, newline at the end).
std::string buildSysinfo(const SysinfoOptions& options);

}  // namespace Kestrix::Sim
