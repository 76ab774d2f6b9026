#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "SimState.h"

namespace fs = std::filesystem;

namespace Kestrix::Sim {
namespace {

CommandResult ok(std::string out = {}) { return CommandResult{std::move(out), {}, 0}; }
CommandResult failure(std::string err, int status = 1) { return CommandResult{{}, std::move(err), status}; }

// Splits "-lQ" style flags from operands; "--" ends the flags.
bool splitFlags(const std::vector<std::string>& args, std::string& flags, std::vector<std::string>& operands) {
    bool flagsDone = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!flagsDone && a == "--") {
            flagsDone = true;
        } else if (!flagsDone && a.size() > 1 && a[0] == '-') {
            flags += a.substr(1);
        } else {
            operands.push_back(a);
        }
    }
    return true;
}

std::string badOption(const std::string& cmd, const std::string& flags, const std::string& allowed) {
    for (char c : flags) {
        if (allowed.find(c) == std::string::npos) {
            return cmd + ": invalid option -- '" + std::string(1, c) + "'\n";
        }
    }
    return {};
}

// ---- ls ----------------------------------------------------------------------------------------

std::string modeText(mode_t m) {
    std::string s(10, '-');
    if (S_ISDIR(m))
        s[0] = 'd';
    else if (S_ISLNK(m))
        s[0] = 'l';
    else if (S_ISCHR(m))
        s[0] = 'c';
    else if (S_ISBLK(m))
        s[0] = 'b';
    else if (S_ISFIFO(m))
        s[0] = 'p';
    else if (S_ISSOCK(m))
        s[0] = 's';
    const char* rwx = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) {
        if ((m & (0400u >> i)) != 0) {
            s[static_cast<size_t>(i) + 1] = rwx[i];
        }
    }
    return s;
}

// BusyBox: "-Q" puts names in double quotes and escapes '"' and '\'; unprintable bytes show as '?'.
std::string shownName(const std::string& name, bool quote) {
    std::string out;
    if (quote) out.push_back('"');
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            out.push_back('?');
            continue;
        }
        if (quote && (c == '"' || c == '\\')) out.push_back('\\');
        out.push_back(c);
    }
    if (quote) out.push_back('"');
    return out;
}

std::string timeText(time_t t) {
    const time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    const bool recent = t <= now + 3600 && now - t < 182 * 24 * 3600;
    std::strftime(buf, sizeof buf, recent ? "%b %e %H:%M" : "%b %e  %Y", &tm);
    return buf;
}

std::string longLine(const fs::path& host, const std::string& name, const struct stat& st, bool quote) {
    char head[96];
    std::snprintf(head, sizeof head, "%-10s %4lu %-8.8s %-8.8s %9llu ", modeText(st.st_mode).c_str(),
                  static_cast<unsigned long>(st.st_nlink), "root", "root", static_cast<unsigned long long>(st.st_size));
    std::string line = head + timeText(st.st_mtime) + " " + shownName(name, quote);
    if (S_ISLNK(st.st_mode)) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(host, ec);
        line += " -> " + shownName(ec ? std::string() : target.string(), quote);
    }
    return line + "\n";
}

CommandResult ls(const CommandContext& c) {
    std::string flags;
    std::vector<std::string> operands;
    splitFlags(c.args, flags, operands);
    if (auto bad = badOption("ls", flags, "lQa1A"); !bad.empty()) {
        return failure(bad);
    }
    const bool longForm = flags.find('l') != std::string::npos;
    const bool quote = flags.find('Q') != std::string::npos;
    const bool all = flags.find('a') != std::string::npos || flags.find('A') != std::string::npos;
    if (operands.empty()) {
        operands.push_back(".");
    }
    CommandResult r;
    std::string dirOut;
    std::vector<std::pair<std::string, fs::path>> dirs;
    for (const auto& op : operands) {
        const auto host = c.vfs.map(op);
        struct stat st {};
        if (!host) {
            r.err += "ls: " + op + ": Permission denied\n";
            r.status = 1;
            continue;
        }
        if (::lstat(host->c_str(), &st) != 0) {
            r.err += "ls: " + op + ": " + std::strerror(errno) + "\n";
            r.status = 1;
            continue;
        }
        struct stat target = st;
        if (S_ISLNK(st.st_mode)) {
            ::stat(host->c_str(), &target);
        }
        if (S_ISDIR(target.st_mode)) {
            dirs.emplace_back(op, *host);
        } else {
            r.out += longForm ? longLine(*host, op, st, quote) : shownName(op, quote) + "\n";
        }
    }
    for (const auto& [op, host] : dirs) {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
            std::string n = it->path().filename().string();
            if (all || n[0] != '.') {
                names.push_back(std::move(n));
            }
        }
        if (ec) {
            r.err += "ls: " + op + ": " + ec.message() + "\n";
            r.status = 1;
            continue;
        }
        std::sort(names.begin(), names.end());
        std::string body;
        unsigned long long blocks = 0;
        for (const auto& n : names) {
            struct stat st {};
            const fs::path p = host / n;
            if (::lstat(p.c_str(), &st) != 0) {
                continue;
            }
            blocks += static_cast<unsigned long long>(st.st_blocks) / 2;
            body += longForm ? longLine(p, n, st, quote) : shownName(n, quote) + "\n";
        }
        if (operands.size() > 1) {
            dirOut += (dirOut.empty() && r.out.empty() ? "" : "\n") + op + ":\n";
        }
        if (longForm) {
            dirOut += "total " + std::to_string(blocks) + "\n";
        }
        dirOut += body;
    }
    r.out += dirOut;
    return r;
}

// ---- rm, mkdir, cat, echo ------------------------------------------------------------------

CommandResult rm(const CommandContext& c) {
    std::string flags;
    std::vector<std::string> operands;
    splitFlags(c.args, flags, operands);
    if (auto bad = badOption("rm", flags, "frRi"); !bad.empty()) {
        return failure(bad);
    }
    const bool force = flags.find('f') != std::string::npos;
    const bool recursive = flags.find_first_of("rR") != std::string::npos;
    if (operands.empty() && !force) {
        return failure("rm: missing operand\n");
    }
    CommandResult r;
    for (const auto& op : operands) {
        const auto host = c.vfs.map(op);
        const auto norm = SimVfs::normalize(op);
        if (!host || !norm || *norm == "/") {
            r.err += "rm: can't remove '" + op + "': Permission denied\n";
            r.status = 1;
            continue;
        }
        std::error_code ec;
        const auto st = fs::symlink_status(*host, ec);
        if (st.type() == fs::file_type::not_found) {
            if (!force) {
                r.err += "rm: can't remove '" + op + "': No such file or directory\n";
                r.status = 1;
            }
            continue;
        }
        if (st.type() == fs::file_type::directory && !recursive) {
            r.err += "rm: '" + op + "' is a directory\n";
            r.status = 1;
            continue;
        }
        if (recursive) {
            fs::remove_all(*host, ec);
        } else {
            fs::remove(*host, ec);
        }
        if (ec) {
            r.err += "rm: can't remove '" + op + "': " + ec.message() + "\n";
            r.status = 1;
        }
    }
    return r;
}

CommandResult mkdirCmd(const CommandContext& c) {
    std::string flags;
    std::vector<std::string> operands;
    splitFlags(c.args, flags, operands);
    if (auto bad = badOption("mkdir", flags, "p"); !bad.empty()) {
        return failure(bad);
    }
    const bool parents = !flags.empty();
    if (operands.empty()) {
        return failure("mkdir: missing operand\n");
    }
    CommandResult r;
    for (const auto& op : operands) {
        const auto host = c.vfs.map(op);
        if (!host) {
            r.err += "mkdir: can't create directory '" + op + "': Permission denied\n";
            r.status = 1;
            continue;
        }
        std::error_code ec;
        if (parents) {
            fs::create_directories(*host, ec);
            if (!ec && !fs::is_directory(*host)) {
                ec = std::make_error_code(std::errc::file_exists);
            }
        } else if (!fs::create_directory(*host, ec) && !ec) {
            ec = std::make_error_code(std::errc::file_exists);
        }
        if (ec) {
            const char* why = ec == std::errc::file_exists                 ? "File exists"
                              : ec == std::errc::no_such_file_or_directory ? "No such file or directory"
                                                                           : nullptr;
            r.err += "mkdir: can't create directory '" + op + "': " + (why ? why : ec.message()) + "\n";
            r.status = 1;
        }
    }
    return r;
}

CommandResult cat(const CommandContext& c) {
    CommandResult r;
    for (size_t i = 1; i < c.args.size(); ++i) {
        const auto host = c.vfs.map(c.args[i]);
        std::ifstream in;
        if (host && !fs::is_directory(*host)) {
            in.open(*host, std::ios::binary);
        }
        if (!in) {
            r.err += "cat: can't open '" + c.args[i] + "': No such file or directory\n";
            r.status = 1;
            continue;
        }
        std::ostringstream s;
        s << in.rdbuf();
        r.out += s.str();
    }
    return r;
}

CommandResult echo(const CommandContext& c) {
    std::string out;
    for (size_t i = 1; i < c.args.size(); ++i) {
        out += (i > 1 ? " " : "") + c.args[i];
    }
    return ok(out + "\n");
}

// ---- tester commands -----------------------------------------------------------------------

CommandResult sysinfo(const CommandContext& c, const SimState& state) {
    if (state.faults().garbageSysinfo) {
        return ok("sysinfo: {\"instruments\": [ {\"model\": \"Tarvel\", \"serial_number\" }}}} \x01garbage\n");
    }
    const auto stored = c.vfs.root() / "sysinfo.json";
    std::ifstream in(stored, std::ios::binary);
    if (in) {
        std::ostringstream s;
        s << in.rdbuf();
        std::string text = s.str();
        if (text.empty() || text.back() != '\n') {
            text.push_back('\n');
        }
        return ok(text);
    }
    return ok(buildSysinfo(state.options.sysinfo));
}

CommandResult uilock(const CommandContext& c, SimState& state) {
    if (c.args.size() != 2 || (c.args[1] != "0" && c.args[1] != "1")) {
        return failure("usage: uilock 0|1\n");
    }
    state.screenLocked = c.args[1] == "1";
    return ok("OK\n");
}

}  // namespace

void registerBuiltins(SimState& state) {
    state.addCommand("ls", ls);
    state.addCommand("rm", rm);
    state.addCommand("mkdir", mkdirCmd);
    state.addCommand("cat", cat);
    state.addCommand("echo", echo);
    state.addCommand("true", [](const CommandContext&) { return ok(); });
    state.addCommand("deferpowerdown", [](const CommandContext&) { return ok("OK\n"); });
    state.addCommand("uilock", [&state](const CommandContext& c) { return uilock(c, state); });
    state.addCommand("sysinfo", [&state](const CommandContext& c) { return sysinfo(c, state); });
}

}  // namespace Kestrix::Sim
