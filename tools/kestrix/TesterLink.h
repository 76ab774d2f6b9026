#pragma once
// What the commands that talk to a tester share: the link options, a session with the tester, its log kept
// off the terminal, and a progress bar for uploads.
#include <memory>
#include <string>

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

// The setups and maintenance commands also print JSON on request.
struct LinkOptions : TesterLink {
    bool json = false;
};

// --ip, --password, --timeout.
void addLinkOptions(CLI::App* cmd, TesterLink& link, bool ipRequired);
// --ip (required), --password, --timeout, and --json when `json` is set.
void addSetupsLinkOptions(CLI::App* cmd, LinkOptions& o, bool json);

// Keeps the session's log off the terminal; the last error, made printable, explains a failure.
class QuietLog {
public:
    QuietLog();
    ~QuietLog();
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;
    const std::string& last() const { return _last; }
    std::string reason() const { return _last.empty() ? "" : " (" + _last + ")"; }

private:
    Kestrix::Tester::LogSinkFn _previous;
    std::string _last;
};

// Pings that count a tester as present when this user cannot send ICMP at all.
Kestrix::Tester::PingFactory lenientPings();
// A session that pings leniently and does not scan the link-local network; not yet connected.
std::unique_ptr<Kestrix::Tester::TarvelCom> makeTarvelCom(const std::string& password);
// The tester at the link, for the import job, pinged leniently.
Kestrix::Import::TesterAddress importAddress(const TesterLink& link);
// A session with the tester at o.ip; throws BadInput when it cannot be made.
std::unique_ptr<Kestrix::Tester::TarvelCom> connectTarvel(const TesterLink& o, QuietLog& log);

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

}  // namespace kx::cli
