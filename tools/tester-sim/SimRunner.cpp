#include "SimRunner.h"

#include <cstdio>
#include <exception>
#include <fstream>

namespace fs = std::filesystem;

namespace Kestrix::Sim {
namespace {

CommandResult stty(const std::vector<std::string>& args, ShellFlags& flags) {
    if (!flags.pty) {
        return CommandResult{{}, "stty: standard input: Not a tty\n", 1};
    }
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-echo") {
            flags.echo = false;
        } else if (args[i] == "echo") {
            flags.echo = true;
        }
    }
    return {};
}

// Opens every redirection target before the command runs, as the shell does.
bool openRedirects(const SimState& state, const SimpleCommand& cmd, std::vector<fs::path>& targets,
                   CommandResult& failure) {
    for (const auto& r : cmd.redirects) {
        const auto host = state.vfs.map(r.path);
        std::error_code ec;
        if (!host) {
            failure = CommandResult{{}, "sh: can't create " + r.path + ": Permission denied\n", 1};
            return false;
        }
        if (!fs::is_directory(host->parent_path(), ec)) {
            failure = CommandResult{{}, "sh: can't create " + r.path + ": nonexistent directory\n", 1};
            return false;
        }
        if (fs::is_directory(*host, ec)) {
            failure = CommandResult{{}, "sh: can't create " + r.path + ": Is a directory\n", 1};
            return false;
        }
        std::ofstream f(*host, r.append ? std::ios::binary | std::ios::app : std::ios::binary | std::ios::trunc);
        if (!f) {
            failure = CommandResult{{}, "sh: can't create " + r.path + ": Permission denied\n", 1};
            return false;
        }
        targets.push_back(*host);
    }
    return true;
}

void applyRedirects(const SimpleCommand& cmd, const std::vector<fs::path>& targets, CommandResult& r) {
    std::string* streams[3] = {nullptr, &r.out, &r.err};
    for (int fd = 1; fd <= 2; ++fd) {
        // The last redirection of a stream gets its output; earlier ones stay as created.
        for (size_t i = cmd.redirects.size(); i-- > 0;) {
            if (cmd.redirects[i].fd != fd) {
                continue;
            }
            std::ofstream f(targets[i], std::ios::binary | std::ios::app);
            f.write(streams[fd]->data(), static_cast<std::streamsize>(streams[fd]->size()));
            streams[fd]->clear();
            break;
        }
    }
}

CommandResult runOne(SimState& state, const std::string& line, const SimpleCommand& cmd, ShellFlags& flags) {
    std::vector<fs::path> targets;
    CommandResult r;
    if (!openRedirects(state, cmd, targets, r)) {
        return r;
    }
    if (cmd.words.empty()) {
        return r;
    }
    const std::string& name = cmd.words[0];
    if (name == "stty") {
        r = stty(cmd.words, flags);
    } else if (name == "exit") {
        flags.exit = true;
        r.status = flags.lastStatus;
        if (cmd.words.size() > 1) {
            try {
                r.status = std::stoi(cmd.words[1]) & 0xff;
            } catch (const std::exception&) {
                r = CommandResult{{}, "sh: exit: Illegal number: " + cmd.words[1] + "\n", 2};
            }
        }
    } else if (name == ":") {
        r = CommandResult{};
    } else if (name == state.faults().failCommand) {
        r = CommandResult{"OP_FAILED\n", {}, 1};
    } else if (auto handler = state.command(name)) {
        try {
            r = (*handler)(CommandContext{cmd.words, line, state.vfs, state.owner});
        } catch (const std::exception& e) {
            r = CommandResult{{}, name + ": " + e.what() + "\n", 1};
        }
    } else {
        r = CommandResult{{}, "sh: " + name + ": not found\n", 127};
    }
    applyRedirects(cmd, targets, r);
    return r;
}

}  // namespace

std::string lookupVariable(std::string_view name, const ShellFlags& flags) {
    if (name == "?") return std::to_string(flags.lastStatus);
    if (name == "$") return "1207";
    if (name == "HOME") return "/root";
    if (name == "USER" || name == "LOGNAME") return "root";
    if (name == "SHELL") return "/bin/sh";
    if (name == "PWD") return "/";
    if (name == "PATH") return "/usr/sbin:/usr/bin:/sbin:/bin";
    return {};
}

CommandResult runCommandLine(SimState& state, const std::string& line, const ParsedLine& parsed, ShellFlags& flags) {
    if (auto canned = state.reply(line)) {
        flags.lastStatus = 0;
        return CommandResult{*canned, {}, 0};
    }
    if (parsed.state == ParsedLine::State::error) {
        flags.lastStatus = 2;
        return CommandResult{{}, "sh: " + parsed.error + "\n", 2};
    }
    CommandResult all;
    for (const auto& cmd : parsed.commands) {
        CommandResult r = runOne(state, line, cmd, flags);
        all.out += r.out;
        all.err += r.err;
        all.status = r.status;
        flags.lastStatus = r.status;
        if (flags.exit) {
            break;
        }
    }
    return all;
}

std::string toCrlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') {
            out.push_back('\r');
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace Kestrix::Sim
