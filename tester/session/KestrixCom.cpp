#include "tester/session/KestrixCom.h"

#include "tester/host/Log.h"
#include "tester/host/ServicePassword.h"
#include "tester/ssh/Address.h"

namespace Kestrix::Tester {
namespace {

// The same tester whether or not the default port is written out.
bool sameAddress(const std::string& a, const std::string& b) {
    auto pa = parseAddress(a);
    auto pb = parseAddress(b);
    if (!pa || !pb) return a == b;
    const auto port = [](uint16_t p) { return p ? p : SshClient::kDefaultPort; };
    return pa->host == pb->host && port(pa->port) == port(pb->port);
}

// Commands that change the tester. One whose reply was lost may have run all the same: typed again it would
// install, import, replace or delete a second time.
bool changesTester(const std::string& cmd) {
    static const char* const kChanging[] = {"swupdate", "smimportproject",     "smimportlabels", "smrmlabels",
                                            "rm",       "smputsharedsettings", "uiloadsettings", "smmarkuploaded",
                                            "mkdir"};
    const size_t start = cmd.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    const size_t end = cmd.find_first_of(" ;>|&", start);
    const std::string name = cmd.substr(start, end == std::string::npos ? std::string::npos : end - start);
    for (const char* c : kChanging)
        if (name == c) return true;
    return false;
}

void logProbe(const std::string& address, const std::string& reason) {
    Log::ErrMsg("KestrixCom FindAttachedTesters", "Address=" + address + ", " + reason);
}

TesterConnectInfo infoFrom(const std::string& address, const SysinfoInstrument& inst) {
    TesterConnectInfo info;
    info.Port = address;
    info.Parameter = "";
    info.SerialNumber = inst.serial_number;
    info.Platform = kPlatform;
    info.Context = (inst.model == "Tarvel2" || inst.model == "Ombrel2") ? "v2" : "v1";
    info.Main = inst.config == "main";
    info.SoftwareVersion = inst.last_update;
    info.Model = hostModelCode(inst);
    info.DisplayName = modelDisplayName(inst.model) + " " + inst.serial_number;
    return info;
}

}  // namespace

SshConnectFactory defaultConnectFactory() {
    return [](const std::string& address, int timeoutMs) {
        auto c = std::make_unique<SshClient>();
        c->setTimeout(timeoutMs);
        c->connect(address);
        return c;
    };
}

KestrixCom::KestrixCom() : KestrixCom(kServicePassword) {}

KestrixCom::KestrixCom(std::string password)
    : m_password(std::move(password)), m_pingFactory(defaultPingFactory()), m_connectFactory(defaultConnectFactory()) {}

KestrixCom::~KestrixCom() { Close(); }

std::vector<std::string> KestrixCom::discoveryCandidates(IPinger& pinger) {
    std::vector<std::string> out;
    if (m_ip && !m_ip->empty()) {
        try {
            if (pinger.pingAddress(*m_ip, kPingTimeoutMs)) out.push_back(*m_ip);
        } catch (const std::exception& e) {
            Log::ExceptionMsg(e, "KestrixCom FindAttachedTesters");
        }
    }
    if (!m_linkLocalScan) return out;
    int errors = 0;
    for (int i = 0; i < kLinkLocalCandidates; ++i) {
        const std::string address = kLinkLocalPrefix + std::to_string(8 * i + 2);
        // The preferred address answered already; probing it twice would keep neither connection open.
        if (!out.empty() && sameAddress(out.front(), address)) continue;
        try {
            if (!pinger.ping(address, kPingTimeoutMs)) break;
            out.push_back(address);
        } catch (const std::exception& e) {
            Log::ExceptionMsg(e, "KestrixCom FindAttachedTesters");
            if (++errors >= 2) break;
        }
    }
    return out;
}

boost::optional<TesterConnectInfo> KestrixCom::probeTester(const std::string& address, bool keepOpen,
                                                           bool& loginRefused) {
    auto client = m_connectFactory(address, kDefaultTimeoutMs);
    if (!client->login(m_user, m_password) || !client->isConnected()) {
        logProbe(address, "login refused");
        loginRefused = true;
        return boost::none;
    }
    auto shell = std::make_unique<SshShell>(*client, kPromptPattern, kDefaultTimeoutMs);
    shell->setMaxReply(m_maxReplyBytes);
    shell->sendCommand("sysinfo");
    auto reply = shell->readAll();
    if (!reply) {
        logProbe(address, "no reply to sysinfo");
        return boost::none;
    }
    auto info = GetSysinfo(*reply);
    if (!info) {
        logProbe(address, "sysinfo unreadable: " + firstLine(*reply).substr(0, 80));
        return boost::none;
    }
    TesterConnectInfo tester = infoFrom(address, info->instruments.front());
    if (keepOpen) {
        Close();
        m_client = std::move(client);
        m_shell = std::move(shell);
        m_tester = tester;
        m_connected = true;
        applyShellLimits();
        SetTimeout(0);
    }
    return tester;
}

boost::optional<std::vector<TesterConnectInfo>> KestrixCom::FindAttachedTesters() {
    auto pinger = m_pingFactory();
    const std::vector<std::string> candidates = discoveryCandidates(*pinger);
    const bool keepOpen = candidates.size() == 1;
    std::vector<TesterConnectInfo> found;
    for (const auto& address : candidates) {
        if (found.size() >= kMaxTestersFound) break;
        bool refused = false;
        try {
            auto info = probeTester(address, keepOpen, refused);
            if (info) found.push_back(*info);
        } catch (const std::exception& e) {
            logProbe(address, e.what());
        }
        if (refused) break;
    }
    if (found.empty()) return boost::none;
    return found;
}

bool KestrixCom::OpenCurrentTester() {
    m_connected = false;
    if (!m_tester) return false;
    LogContext context("Connecting to Kestrix tester");
    // The shell and the SCP channels point into the client: they go before it, whatever happens next.
    Close();
    try {
        auto pinger = m_pingFactory();
        if (pinger->pingAddress(m_tester->Port, kPingTimeoutMs)) {
            m_client = m_connectFactory(m_tester->Port, kDefaultTimeoutMs);
            m_client->login(m_user, m_password);
            m_connected = m_client->isConnected();
            if (m_connected) m_shell = std::make_unique<SshShell>(*m_client, kPromptPattern, kDefaultTimeoutMs);
        }
        if (m_connected) {
            applyShellLimits();
            SetTimeout(0);
        } else {
            Log::ErrMsg("Failed to connect", fillIn("IP Address={0}", m_tester->Port));
            Close();
        }
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, "OpenCurrentTester");
        Close();
    }
    return m_connected;
}

bool KestrixCom::KestrixConnect(const TesterConnectInfo& info) {
    if (m_tester && m_connected) return true;
    m_tester.reset();
    Close();
    m_tester = info;
    OpenCurrentTester();
    return m_connected;
}

bool KestrixCom::probeConnection() {
    // libssh learns of a closed connection only by reading; polling the shell does that.
    return m_client->isConnected() && m_shell && m_shell->isAlive() && m_client->isConnected();
}

bool KestrixCom::linkLost() {
    if (!m_client || !m_connected) return true;
    try {
        return !probeConnection();
    } catch (const std::exception&) {
        return true;
    }
}

bool KestrixCom::CheckConnect(bool probe) {
    for (int pass = 0; pass < 2; ++pass) {
        if (probe && m_client) {
            try {
                m_connected = probeConnection();
            } catch (const std::exception& e) {
                Log::ExceptionMsg(e, "CheckConnect");
                m_connected = false;
            }
            if (!m_connected) Close();
        }
        if (m_connected) break;
        OpenCurrentTester();
    }
    return m_connected;
}

void KestrixCom::Close() {
    m_scp.clear();
    m_shell.reset();
    if (m_client) {
        try {
            m_client->disconnect();
        } catch (const std::exception& e) {
            Log::ExceptionMsg(e, "KestrixCom Close");
        }
    }
    m_client.reset();
    m_connected = false;
}

void KestrixCom::setMaxReplyBytes(size_t bytes) {
    m_maxReplyBytes = bytes > 0 ? bytes : SshShell::kDefaultMaxReply;
    applyShellLimits();
}

void KestrixCom::applyShellLimits() {
    if (m_shell) m_shell->setMaxReply(m_maxReplyBytes);
}

void KestrixCom::SetTimeout(int ms) {
    const int t = ms > 0 ? ms : kDefaultTimeoutMs;
    if (m_client) m_client->setTimeout(t);
    if (m_shell) m_shell->setTimeout(t);
}

boost::optional<std::string> KestrixCom::sendCommand(const std::string& cmd, bool quick) {
    if (!m_connected || cmd.empty() || !m_client || !m_shell) return boost::none;
    const char* where = quick ? "SendTvixCmdQuick" : "SendTvixCmd";
    try {
        boost::optional<std::string> reply;
        const int attempts = changesTester(cmd) ? 1 : 2;
        for (int attempt = 0; attempt < attempts && !reply; ++attempt) {
            m_shell->drain();
            m_shell->sendCommand(cmd);
            reply = quick ? m_shell->readLine() : m_shell->readAll();
        }
        return reply;
    } catch (const SshError& e) {
        Log::ExceptionMsg(e, where);
        if (e.isSocketError()) Close();
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, where);
    }
    return boost::none;
}

boost::optional<std::string> KestrixCom::SendTvixCmd(const std::string& cmd) { return sendCommand(cmd, false); }

boost::optional<std::string> KestrixCom::SendTvixCmdQuick(const std::string& cmd) { return sendCommand(cmd, true); }

bool KestrixCom::KestrixLockScreen(bool lock) {
    CheckConnect(true);
    if (!m_connected) return false;
    SendTvixCmdQuick("deferpowerdown");
    SendTvixCmd(lock ? "uilock 1" : "uilock 0");
    return true;
}

void KestrixCom::AddUploadKey(const std::string& folder, int64_t key) {
    for (auto& list : m_uploadKeys) {
        if (list.Folder() == folder) {
            list.Add(key);
            return;
        }
    }
    m_uploadKeys.emplace_back(folder);
    m_uploadKeys.back().Add(key);
}

}  // namespace Kestrix::Tester
