#include "TesterLink.h"

#include <unistd.h>

#include <cstdio>

#include "Command.h"
#include "tester/session/Ping.h"

namespace kx::cli {

using namespace Kestrix::Tester;

namespace {

// Where ICMP cannot be used (no raw socket, no ping group), the SSH connection decides.
class LenientPinger : public IPinger {
public:
    bool ping(const std::string& host, int timeoutMs) override {
        try {
            return _icmp.ping(host, timeoutMs);
        } catch (const std::exception&) {
            return true;
        }
    }

private:
    IcmpPinger _icmp;
};

}  // namespace

void addLinkOptions(CLI::App* cmd, TesterLink& link, bool ipRequired) {
    auto* ip = cmd->add_option("--ip", link.ip, "Tester address, ADDR or ADDR:PORT");
    if (ipRequired) ip->required();
    cmd->add_option("--password", link.password, "Service password (default: the built-in one)");
    cmd->add_option("--timeout", link.timeoutMs, "Shell time-out in ms (default 5000)")->check(CLI::NonNegativeNumber);
}

void addSetupsLinkOptions(CLI::App* cmd, LinkOptions& o, bool json) {
    addLinkOptions(cmd, o, true);
    if (json) cmd->add_flag("--json", o.json, "Print JSON");
}

QuietLog::QuietLog() {
    _previous = Log::setSink([this](const LogRecord& r) {
        if (r.level == LogLevel::Error) _last = printable(r.text);
    });
}

QuietLog::~QuietLog() { Log::setSink(_previous); }

PingFactory lenientPings() {
    return [] { return std::make_unique<LenientPinger>(); };
}

std::unique_ptr<TarvelCom> makeTarvelCom(const std::string& password) {
    auto com = std::make_unique<TarvelCom>(password);
    com->setPingFactory(lenientPings());
    com->setLinkLocalScan(false);
    return com;
}

Kestrix::Import::TesterAddress importAddress(const TesterLink& link) {
    Kestrix::Import::TesterAddress a;
    a.address = link.ip;
    a.password = link.password;
    a.timeoutMs = link.timeoutMs;
    a.ping = lenientPings();
    return a;
}

std::unique_ptr<TarvelCom> connectTarvel(const TesterLink& o, QuietLog& log) {
    auto com = makeTarvelCom(o.password);
    TesterConnectInfo info;
    info.Port = o.ip;
    info.Platform = kPlatform;
    if (!com->Connect(info)) throw BadInput("cannot connect to the tester at " + o.ip + log.reason());
    if (o.timeoutMs > 0) com->SetTimeout(o.timeoutMs);
    return com;
}

PercentBar::PercentBar(std::string label) : _label(std::move(label)), _tty(isatty(2) != 0) {}

PercentBar::~PercentBar() {
    if (_tty && _shown >= 0) std::fprintf(stderr, "\n");
}

ProgressFn PercentBar::callback() {
    if (!_tty) return nullptr;
    return [this](int percent) {
        if (percent == _shown) return;
        _shown = percent;
        const int width = 30;
        const int filled = percent * width / 100;
        std::fprintf(stderr, "\r%s [%s%s] %3d%%", _label.c_str(), std::string(static_cast<size_t>(filled), '#').c_str(),
                     std::string(static_cast<size_t>(width - filled), ' ').c_str(), percent);
        std::fflush(stderr);
    };
}

}  // namespace kx::cli
