#pragma once
// What the setups commands (settings pull/push, project list/pull/push, ids) share: the link options,
// a session with the tester, a progress bar for uploads, and safe printing of tester text.
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "tester/host/Log.h"
#include "tester/host/ServicePassword.h"
#include "tester/session/TarvelCom.h"

namespace kx::cli::setups {

struct LinkOptions {
    std::string ip;
    std::string password = Kestrix::Tester::kServicePassword;
    int timeoutMs = 0;
    bool json = false;
};

// --ip (required), --password, --timeout, and --json when `json` is set.
void addLinkOptions(CLI::App* cmd, LinkOptions& o, bool json);

// Keeps the session's log off the terminal; the last error becomes part of a failure's reason.
class QuietLog {
public:
    QuietLog();
    ~QuietLog();
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;
    std::string reason() const { return _last.empty() ? "" : " (" + _last + ")"; }

private:
    Kestrix::Tester::LogSinkFn _previous;
    std::string _last;
};

// A session with the tester at o.ip; throws BadInput when it cannot be made.
std::unique_ptr<Kestrix::Tester::TarvelCom> connectTarvel(const LinkOptions& o, QuietLog& log);

// Upload percent on one redrawn line of stderr when it is a terminal; nothing otherwise.
class PercentBar {
public:
    explicit PercentBar(std::string label);
    ~PercentBar();
    Kestrix::Tester::ProgressFn callback();

private:
    std::string _label;
    bool _tty;
    int _shown = -1;
};

// Text from the tester or a file, safe for a terminal: control characters become "?".
std::string printable(const std::string& text);

}  // namespace kx::cli::setups
