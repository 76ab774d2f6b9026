#include <chrono>

#include "SimChannel.h"
#include "SimScpTree.h"
#include "SimRunner.h"

namespace Kestrix::Sim {
namespace {

constexpr const char* kBanner =
    "\n\nBusyBox v1.35.0 (2025-01-10 09:12:44 UTC) built-in shell (ash)\n"
    "Enter 'help' for a list of built-in commands.\n\n";
constexpr const char* kCursorQuery = "\x1b[6n";
constexpr size_t kMaxLine = 1 << 20;

Clock::time_point replyTime(const SimState& state) {
    const int delay = state.faults().replyDelayMs;
    return delay > 0 ? Clock::now() + std::chrono::milliseconds(delay) : Clock::time_point{};
}

// A command's reply as the channel carries it: one stream with CRLF line ends on a terminal, else stdout and
// stderr apart. Returns when it is due, for what follows it.
Clock::time_point writeReply(SimChannel& ch, const CommandResult& r) {
    const auto at = replyTime(ch.state);
    if (ch.pty) {
        ch.write(toCrlf(r.err + r.out), false, at);
    } else {
        ch.write(r.out, false, at);
        ch.write(r.err, true, at);
    }
    return at;
}

ParsedLine parseWith(const std::string& text, const ShellFlags& flags) {
    return parseCommandLine(text, [&flags](std::string_view name) { return lookupVariable(name, flags); });
}

// An interactive ash behind sshd: with a terminal it prints a banner, echoes what it reads, ends lines
// with CRLF and sends a prompt and a cursor-position query after every reply (until "stty -echo");
// without a terminal it is silent apart from the commands' own output.
class ShellHandler : public ChannelHandler {
public:
    void step(SimChannel& ch) override {
        if (!_started) {
            _started = true;
            _flags.pty = ch.pty;
            _flags.echo = ch.pty;
            if (ch.pty) {
                ch.write(toCrlf(ch.state.options.motd + kBanner));
                prompt(ch, "# ", {});
            }
        }
        if (_stream != Stream::none && !streamOn(ch)) {
            return;
        }
        while (!_flags.exit && !ch.finishing() && _stream == Stream::none) {
            const size_t end = ch.pty ? ch.input.find_first_of("\r\n\x03\x04") : ch.input.find('\n');
            if (end == std::string::npos) {
                if (ch.input.size() > kMaxLine) {
                    ch.input.clear();  // no command is this long; forget it rather than grow
                }
                if (ch.peerEof) {
                    if (!ch.pty && !ch.input.empty()) {
                        std::string last = std::move(ch.input);
                        ch.input.clear();
                        line(ch, last);
                    }
                    ch.finish(_flags.lastStatus);
                }
                return;
            }
            const char term = ch.input[end];
            std::string text = ch.input.substr(0, end);
            ch.input.erase(0, end + 1);
            if (term == '\x03') {
                _pending.clear();
                ch.write("^C\r\n");
                prompt(ch, "# ", {});
                continue;
            }
            if (term == '\x04') {
                if (text.empty() && _pending.empty()) {
                    _flags.exit = true;
                    break;
                }
                ch.input.insert(0, text);
                continue;
            }
            if (ch.pty) {
                text = erased(text);
                if (_flags.echo) {
                    ch.write(text + "\r\n");
                }
            }
            line(ch, text);
        }
        if (_flags.exit) {
            ch.finish(_flags.lastStatus);
        }
    }

private:
    // The line editor's view of typed input: backspace deletes, and escape sequences (arrow keys, a
    // terminal's answer "ESC[24;80R" to the cursor-position query) are not text.
    static std::string erased(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\x7f' || c == '\b') {
                if (!out.empty()) out.pop_back();
            } else if (c == '\x1b') {
                if (i + 1 < text.size() && text[i + 1] == '[') {
                    i += 2;
                    while (i < text.size() && (text[i] < 0x40 || text[i] > 0x7e)) ++i;
                } else {
                    ++i;
                }
            } else {
                out.push_back(c);
            }
        }
        return out;
    }

    void line(SimChannel& ch, const std::string& text) {
        const std::string full = _pending.empty() ? text : _pending + "\n" + text;
        const bool canned = ch.state.reply(full).has_value();
        const ParsedLine parsed = parseWith(full, _flags);
        if (!canned && parsed.state == ParsedLine::State::incomplete) {
            _pending = full;
            prompt(ch, "> ", {});
            return;
        }
        _pending.clear();
        if (!canned && parsed.state == ParsedLine::State::complete && parsed.commands.empty()) {
            prompt(ch, "# ", {});
            return;
        }
        ch.state.record(full);
        if (ch.state.dropOnCommand() || ch.state.dropOnCommandName(full)) {
            ch.dropAfterOutput();
            return;
        }
        const SimFaults faults = ch.state.faults();
        if (faults.dollarStream || faults.endlessReply) {
            _stream = faults.dollarStream ? Stream::dollar : Stream::lines;
            streamOn(ch);
            return;
        }
        const CommandResult r = runCommandLine(ch.state, full, parsed, _flags);
        const auto at = writeReply(ch, r);
        if (!_flags.exit) {
            prompt(ch, "# ", at);
        }
    }

    void prompt(SimChannel& ch, const char* text, Clock::time_point at) {
        if (!ch.pty || ch.state.faults().noPrompt) {
            return;
        }
        // The prompt travels in its own packet, after the output, as a real shell's does.
        ch.write(text, false, at);
        if (_flags.echo) {
            ch.write(kCursorQuery, false, at);
        }
    }

    // Keeps a stream going; false while it runs. When its switch goes off the prompt follows.
    bool streamOn(SimChannel& ch) {
        const SimFaults faults = ch.state.faults();
        const bool on = _stream == Stream::dollar ? faults.dollarStream : faults.endlessReply;
        if (!on) {
            _stream = Stream::none;
            prompt(ch, "# ", {});
            return true;
        }
        if (_stream == Stream::dollar) {
            // Each chunk ends in a "$" that looks like a prompt until the next chunk comes.
            while (ch.queuedBytes() < kStreamQueued) {
                std::string chunk;
                while (chunk.size() < kDollarChunk) {
                    chunk += "x$";
                }
                ch.write(std::move(chunk));
            }
        } else {
            while (ch.queuedBytes() < kStreamQueued) {
                std::string chunk;
                while (chunk.size() < kEndlessChunk) {
                    chunk += "endless output line " + std::to_string(++_lines) + "\r\n";
                }
                ch.write(std::move(chunk));
            }
        }
        return false;
    }

    enum class Stream { none, dollar, lines };
    static constexpr size_t kDollarChunk = 4 * 1024;
    static constexpr size_t kEndlessChunk = 64 * 1024;
    static constexpr size_t kStreamQueued = 256 * 1024;

    bool _started = false;
    ShellFlags _flags;
    std::string _pending;
    Stream _stream = Stream::none;
    uint64_t _lines = 0;
};

// One command line without a shell session ("ssh host CMD").
class ExecHandler : public ChannelHandler {
public:
    explicit ExecHandler(std::string command) : _command(std::move(command)) {}

    void step(SimChannel& ch) override {
        if (_done) {
            return;
        }
        _done = true;
        if (ch.state.dropOnCommand()) {
            ch.dropAfterOutput();
            return;
        }
        ShellFlags flags;
        flags.pty = ch.pty;
        const ParsedLine parsed = parseWith(_command, flags);
        CommandResult r;
        if (parsed.state == ParsedLine::State::incomplete && !ch.state.reply(_command)) {
            r = CommandResult{{}, "sh: syntax error: unterminated quoted string\n", 2};
        } else {
            r = runCommandLine(ch.state, _command, parsed, flags);
        }
        writeReply(ch, r);
        ch.finish(r.status);
    }

private:
    std::string _command;
    bool _done = false;
};

class ScpRefusal : public ChannelHandler {
public:
    explicit ScpRefusal(std::string message) : _message(std::move(message)) {}
    void step(SimChannel& ch) override {
        ch.write("\x01" + _message + "\n");
        ch.finish(1);
    }

private:
    std::string _message;
};

// "scp [-v -p -q -d -r] -t|-f [--] PATH": returns true with the direction and path when it is one.
bool scpRequest(const ParsedLine& parsed, bool& sink, std::vector<std::string>& paths, bool& ambiguous,
                bool& recursive) {
    if (parsed.state != ParsedLine::State::complete || parsed.commands.size() != 1) {
        return false;
    }
    const auto& words = parsed.commands[0].words;
    if (words.empty() || words[0] != "scp" || !parsed.commands[0].redirects.empty()) {
        return false;
    }
    bool to = false;
    bool from = false;
    bool optionsDone = false;
    std::vector<std::string> operands;
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (!optionsDone && w == "--") {
            optionsDone = true;
        } else if (!optionsDone && w.size() > 1 && w[0] == '-') {
            for (size_t k = 1; k < w.size(); ++k) {
                if (w[k] == 't')
                    to = true;
                else if (w[k] == 'f')
                    from = true;
                else if (w[k] == 'r')
                    recursive = true;
                else if (std::string("vpqdr").find(w[k]) == std::string::npos)
                    return false;
            }
        } else {
            operands.push_back(w);
        }
    }
    if (to == from) {
        return false;
    }
    if (operands.empty() || (to && operands.size() != 1)) {
        // An unquoted path with a space arrives as two operands; scp refuses it the way it always has.
        ambiguous = true;
        return false;
    }
    sink = to;
    paths = operands;  // a source sends several files one after another
    return true;
}

}  // namespace

std::unique_ptr<ChannelHandler> makeShellHandler(SimChannel&) { return std::make_unique<ShellHandler>(); }

std::unique_ptr<ChannelHandler> makeExecHandler(SimChannel& ch, const std::string& command) {
    ch.state.record(command);
    bool sink = false;
    bool ambiguous = false;
    bool recursive = false;
    std::vector<std::string> paths;
    if (scpRequest(parseCommandLine(command), sink, paths, ambiguous, recursive)) {
        if (!sink && (recursive || paths.size() > 1)) {
            return makeScpTreeSource(paths, recursive);
        }
        return makeScpHandler(ch, sink, paths[0]);
    }
    if (ambiguous) {
        return std::make_unique<ScpRefusal>("scp: ambiguous target");
    }
    return std::make_unique<ExecHandler>(command);
}

}  // namespace Kestrix::Sim
