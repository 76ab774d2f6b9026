#pragma once
// Runs command lines against the simulator's commands (internal), shared by the shell and exec channels.
#include <string>

#include "ShellWords.h"
#include "SimState.h"

namespace Kestrix::Sim {

struct ShellFlags {
    bool pty = false;
    bool echo = false;
    bool exit = false;
    int lastStatus = 0;
};

// A canned reply for the exact line, else the parsed line's commands in turn.
CommandResult runCommandLine(SimState& state, const std::string& line, const ParsedLine& parsed, ShellFlags& flags);

std::string lookupVariable(std::string_view name, const ShellFlags& flags);

// "\n" -> "\r\n", as a terminal's output processing does.
std::string toCrlf(const std::string& text);

}  // namespace Kestrix::Sim
