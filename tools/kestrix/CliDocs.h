#pragma once
// Texts generated from the command tree itself, so they never drift from the commands: the man page, the
// bash completion script and the version report.
#include <string>

#include <CLI/CLI.hpp>

namespace kx::cli {

// A man page (roff) holding the help text of the tool and of every command below it.
std::string manPage(CLI::App& app, const std::string& version);
// A bash completion script: commands at each level, their options, file names for arguments.
std::string bashCompletion(CLI::App& app);
// "kestrix VERSION" and the versions of the libraries the tool runs with.
std::string versionText();

}  // namespace kx::cli
