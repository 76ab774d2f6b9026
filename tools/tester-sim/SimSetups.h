#pragma once
// The tester's setup commands: shared instrument settings, project export and import, cable-id lists.
//
// State lives in the tester's file system: the settings in /microsd_userdata/settings/, the projects in
// /microsd_userdata/projects/ (master.sql with table "Projects", each project's setup in table "Project"
// of its folder's project.sql), the cable-id lists as NAME.ids in /microsd_userdata/cableids/.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "TesterSim.h"

namespace Kestrix::Sim {

void registerSetupCommands(TesterSim& sim);

namespace SimSetups {

inline constexpr const char* kCurrentSettings = "/microsd_userdata/settings/current_settings";
inline constexpr const char* kSharedSettings = "/microsd_userdata/settings/shared_settings";
inline constexpr const char* kProjectsFolder = "/microsd_userdata/projects";
inline constexpr const char* kMasterDatabase = "/microsd_userdata/projects/master.sql";
inline constexpr const char* kCableIdFolder = "/microsd_userdata/cableids";

// Options of a tester tool, getopt style: `letters` lists them, a ':' after one that takes a value
// ("-nNAME" or "-n NAME"). Unknown letters, a missing value or an extra operand make it fail.
struct Options {
    bool ok = true;
    std::map<char, std::string> values;
    bool has(char c) const { return values.count(c) != 0; }
    std::string operator[](char c) const {
        const auto it = values.find(c);
        return it == values.end() ? std::string() : it->second;
    }
};
Options parseOptions(const std::vector<std::string>& args, const std::string& letters);

// A file of the tester's file system (none when missing, a folder, or larger than `limit`).
std::optional<std::vector<uint8_t>> readFile(const SimVfs& vfs, const std::string& path, size_t limit = 16u << 20);
bool writeFile(const SimVfs& vfs, const std::string& path, const std::vector<uint8_t>& bytes);

// The tester's file name for a project (as its exporter names files).
std::string projectFileName(const std::string& name);

CommandResult usage(const std::string& text);
inline CommandResult reply(const std::string& word) { return CommandResult{word + "\n", {}, word == "OK" ? 0 : 1}; }

// Registration of each group.
void registerSettingsCommands(TesterSim& sim);
void registerProjectCommands(TesterSim& sim);
void registerCableIdCommands(TesterSim& sim);

}  // namespace SimSetups
}  // namespace Kestrix::Sim
