#pragma once
// What the commands that talk to a tester share: the link options, the one way to connect, the session's
// log kept off the terminal, and the one progress bar.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "tester/host/Log.h"
#include "tester/host/ServicePassword.h"
#include "tester/import/ImportCatalog.h"
#include "tester/session/TarvelCom.h"

namespace kx::cli {

struct TesterLink {
    std::string ip;  // ADDR or ADDR:PORT
    std::string password = Kestrix::Tester::kServicePassword;
    int timeoutMs = 0;  // 0: the default
};

// The link options and --json of the commands that print what the tester says.
struct LinkOptions : TesterLink {
    bool json = false;
};

// --ip, --password, --timeout.
void addLinkOptions(CLI::App* cmd, TesterLink& link, bool ipRequired = true);
// --ip (required), --password, --timeout, and --json when `json` is set.
void addSetupsLinkOptions(CLI::App* cmd, LinkOptions& o, bool json);

// Keeps the session's log off the terminal; the last error explains a failure in the user's words.
class QuietLog {
public:
    QuietLog();
    ~QuietLog();
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;
    // The last error as logged (made printable).
    const std::string& last() const { return _last; }
    // The last error without the library's operation names and addresses: "Connection refused".
    const std::string& lastReason() const { return _reason; }
    // " (reason)", or "" when nothing was logged.
    std::string reason() const { return _reason.empty() ? "" : " (" + _reason + ")"; }

private:
    Kestrix::Tester::LogSinkFn _previous;
    std::string _last;
    std::string _reason;
};

// The one way to a tester: the tester at link.ip is found (its sysinfo read, so the session knows its serial
// and model) and its shell kept open. Throws BadInput saying why and what to check.
std::unique_ptr<Kestrix::Tester::TarvelCom> connectTester(const TesterLink& link, QuietLog& log);
// A session that reaches only link.ip (never the link-local network) and pings leniently; not yet connected.
std::unique_ptr<Kestrix::Tester::TarvelCom> makeSession(const TesterLink& link);
// Pings that count a tester as present when this user cannot send ICMP at all.
Kestrix::Tester::PingFactory lenientPings();
// A session as makeSession makes it, for a password alone.
std::unique_ptr<Kestrix::Tester::TarvelCom> makeTarvelCom(const std::string& password);
// The tester at the link, for the import job, pinged leniently.
Kestrix::Import::TesterAddress importAddress(const TesterLink& link);

// Names the tester listed (projects, cable-id lists): a JSON array, or one printable name a line.
void printNameList(const std::vector<std::string>& names, bool json);

// Progress of one transfer on one redrawn line of stderr, only when stderr is a terminal.
class ProgressBar {
public:
    explicit ProgressBar(std::string label);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;
    void percent(int p);
    // Percent callback for the library's uploads; empty when nothing is drawn.
    Kestrix::Tester::ProgressFn callback();

private:
    std::string _label;
    bool _tty;
    int _shown = -1;
};

}  // namespace kx::cli
