#pragma once
// The transfer subcommands of `kestrix settings` and `kestrix project` (pull, push, list), added to the
// groups those commands register.
#include <string>

#include <CLI/CLI.hpp>

namespace kx::cli {

void addSettingsTransferCommands(CLI::App* settingsGroup);
void addProjectTransferCommands(CLI::App* projectGroup);

// Short name of a project transfer result ("done", "exists", ...).
std::string projectResultName(int result);

}  // namespace kx::cli
