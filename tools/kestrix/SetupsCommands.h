#pragma once
// The transfer subcommands of `kestrix settings` and `kestrix project` (pull, push, list), added to the
// groups those commands register.
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace kx::cli {

void addSettingsTransferCommands(CLI::App* settingsGroup);
void addProjectTransferCommands(CLI::App* projectGroup);

// Names the tester listed (projects, cable-id lists): a JSON array, or one printable name a line.
void printNameList(const std::vector<std::string>& names, bool json);

// Short name of a project transfer result ("done", "exists", ...).
std::string projectResultName(int result);

}  // namespace kx::cli
