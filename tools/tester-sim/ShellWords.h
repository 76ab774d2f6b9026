#pragma once
// Splits a command line the way a POSIX shell does, without ever running one: quotes, backslashes,
// $NAME expansion from a fixed table, ";" between commands and ">"/">>"/"2>" redirections. Anything
// that would need a real shell (pipes, command substitution, background jobs) is a syntax error.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Kestrix::Sim {

struct Redirect {
    int fd = 1;  // 1 stdout, 2 stderr
    bool append = false;
    std::string path;
};

struct SimpleCommand {
    std::vector<std::string> words;
    std::vector<Redirect> redirects;
};

struct ParsedLine {
    enum class State { complete, incomplete, error };
    State state = State::complete;
    std::string error;  // for State::error, as the shell says it after "sh: "
    std::vector<SimpleCommand> commands;
};

using VariableLookup = std::function<std::string(std::string_view name)>;

ParsedLine parseCommandLine(std::string_view text, const VariableLookup& lookup = {});

// Quotes one word so that parseCommandLine gives it back unchanged.
std::string shellQuote(std::string_view word);

}  // namespace Kestrix::Sim
