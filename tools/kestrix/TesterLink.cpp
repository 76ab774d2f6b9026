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

// Log lines name the library's operations and addresses ("KestrixCom FindAttachedTesters (Address=ADDR,
// Connection refused)", "OpenCurrentTester: timed out"): the user is told only the reason.
std::string userReason(const std::string& text) {
    std::string s = text;
    const size_t open = s.find(" (");
    if (open != std::string::npos && s.back() == ')') {
        std::string detail = s.substr(open + 2, s.size() - open - 3);
        const size_t address = detail.find("Address=");
        if (address != std::string::npos) {
            const size_t comma = detail.find(", ", address);
            detail = comma == std::string::npos ? "" : detail.substr(comma + 2);
        }
        if (!detail.empty()) s = detail;
    }
    const size_t colon = s.find(": ");
    // "Where: what" of a caught exception, where Where is an operation name without spaces.
    if (colon != std::string::npos && s.find(' ') >= colon) s = s.substr(colon + 2);
    return s;
}

}  // namespace

void addLinkOptions(CLI::App* cmd, TesterLink& link, bool ipRequired) {
    auto* ip = cmd->add_option("--ip", link.ip, "Tester address, ADDR or ADDR:PORT");
    if (ipRequired) ip->required();
    cmd->add_option("--password", link.password, "Service password (default: the built-in one)");
    cmd->add_option("--timeout", link.timeoutMs, "Shell time-out in ms (default 5000)")->check(CLI::NonNegativeNumber);
}

void addSetupsLinkOptions(CLI::App* cmd, LinkOptions& o, bool json) {
    addLinkOptions(cmd, o, true);
    if (json) addJsonFlag(cmd, o.json);
}

QuietLog::QuietLog() {
    _previous = Log::setSink([this](const LogRecord& r) {
        if (r.level != LogLevel::Error) return;
        _last = printable(r.text);
        _reason = printable(userReason(r.text));
    });
}

QuietLog::~QuietLog() { Log::setSink(_previous); }

PingFactory lenientPings() {
    return [] { return std::make_unique<LenientPinger>(); };
}

std::unique_ptr<TarvelCom> makeSession(const TesterLink& link) {
    auto com = std::make_unique<TarvelCom>(link.password);
    com->setPingFactory(lenientPings());
    com->setLinkLocalScan(false);
    com->SetIp(link.ip);
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

std::unique_ptr<TarvelCom> makeTarvelCom(const std::string& password) {
    TesterLink link;
    link.password = password;
    return makeSession(link);
}

std::unique_ptr<TarvelCom> connectTester(const TesterLink& link, QuietLog& log) {
    if (link.ip.empty()) throw BadInput("no tester address", "give it with --ip ADDR[:PORT]");
    auto com = makeSession(link);
    const auto found = com->FindAttachedTesters();
    if (!found || !com->Connect(found->front())) {
        std::string why = log.lastReason().empty() ? "no answer" : log.lastReason();
        // The SSH layer names the address again: "cannot connect to ADDR: Connection refused".
        if (why.rfind("cannot connect to ", 0) == 0 && why.find(": ") != std::string::npos)
            why = why.substr(why.find(": ") + 2);
        throw BadInput("cannot connect to the tester at " + link.ip + ": " + why,
                       "check the address (--ip ADDR[:PORT]), the password and that the tester is on");
    }
    if (link.timeoutMs > 0) com->SetTimeout(link.timeoutMs);
    return com;
}

void printNameList(const std::vector<std::string>& names, bool json) {
    if (json) {
        Json::Value all(Json::arrayValue);
        for (const auto& n : names) all.append(n);
        printJson(all);
        return;
    }
    for (const auto& n : names) std::printf("%s\n", printable(n).c_str());
}

ProgressBar::ProgressBar(std::string label) : _label(std::move(label)), _tty(isatty(2) != 0) {}

ProgressBar::~ProgressBar() {
    if (_tty && _shown >= 0) std::fprintf(stderr, "\n");
}

void ProgressBar::percent(int p) {
    if (!_tty || p == _shown) return;
    _shown = p < 0 ? 0 : p > 100 ? 100 : p;
    const int width = 30;
    const int filled = _shown * width / 100;
    std::fprintf(stderr, "\r%s [%s%s] %3d%%", _label.c_str(), std::string(static_cast<size_t>(filled), '#').c_str(),
                 std::string(static_cast<size_t>(width - filled), ' ').c_str(), _shown);
    std::fflush(stderr);
}

ProgressFn ProgressBar::callback() {
    if (!_tty) return nullptr;
    return [this](int p) { percent(p); };
}

}  // namespace kx::cli
