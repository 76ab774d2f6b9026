#pragma once
// The link to one tester: discovery, the shell session, file listing and SCP transfers.
// One thread at a time per object; the upload progress (size and callback) is shared by the process.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "tester/host/Progress.h"
#include "tester/host/TesterConnectInfo.h"
#include "tester/session/FileCopyGroup.h"
#include "tester/session/Ping.h"
#include "tester/session/Sysinfo.h"
#include "tester/ssh/ScpClient.h"
#include "tester/ssh/SshClient.h"
#include "tester/ssh/SshShell.h"

namespace Kestrix::Tester {

// Makes a client connected (not yet logged in) to `address`; tests map addresses onto local servers.
using SshConnectFactory = std::function<std::unique_ptr<SshClient>(const std::string& address, int timeoutMs)>;
SshConnectFactory defaultConnectFactory();

// What a download is for. Each purpose has its own size cap, far above the real files and far below
// memory; a file announced larger is refused before any of it is read.
enum class DownloadKind { Any, Database, ResultFile, Log, ScreenImage };

struct DownloadLimits {
    uint64_t database = uint64_t(256) << 20;    // master and project databases: a few MB
    uint64_t resultFile = uint64_t(64) << 20;   // one result: at most a few MB
    uint64_t log = uint64_t(256) << 20;         // diagnostic logs
    uint64_t screenImage = uint64_t(32) << 20;  // one screen capture: about a MB
    uint64_t group = uint64_t(256) << 20;       // all files of one group read together
    // Any: the largest of the purposes.
    uint64_t capFor(DownloadKind kind) const;
};

class KestrixCom {
public:
    static constexpr int kDefaultTimeoutMs = 5000;
    static constexpr size_t kScpChannelCount = 10;
    static constexpr int kPingTimeoutMs = 100;
    static constexpr const char* kUser = "tvuser";
    static constexpr const char* kPromptPattern = "([$])|([#]) ";
    static constexpr const char* kLinkLocalPrefix = "169.254.222.";
    static constexpr int kLinkLocalCandidates = 5;
    static constexpr size_t kMaxTestersFound = 5;

    KestrixCom();
    explicit KestrixCom(std::string password);
    virtual ~KestrixCom();
    KestrixCom(const KestrixCom&) = delete;
    KestrixCom& operator=(const KestrixCom&) = delete;

    // Test and tool seams: how addresses are pinged and connected, and whether discovery scans the
    // link-local addresses after the preferred one.
    void setPingFactory(PingFactory f) { m_pingFactory = std::move(f); }
    void setConnectFactory(SshConnectFactory f) { m_connectFactory = std::move(f); }
    void setLinkLocalScan(bool on) { m_linkLocalScan = on; }
    void setPassword(std::string password) { m_password = std::move(password); }
    void setDownloadLimits(const DownloadLimits& limits) { m_limits = limits; }
    const DownloadLimits& downloadLimits() const { return m_limits; }
    // Longest shell reply (0 restores the default); a longer one counts as a failed reply.
    void setMaxReplyBytes(size_t bytes);

    boost::optional<std::vector<TesterConnectInfo>> FindAttachedTesters();
    bool OpenCurrentTester();
    bool KestrixConnect(const TesterConnectInfo& info);
    bool CheckConnect() { return CheckConnect(false); }
    bool CheckConnect(bool probe);
    bool IsConnected() const { return m_connected; }
    void Close();
    void SetIp(const std::string& ip) { m_ip = ip; }
    void SetTimeout(int ms);
    std::string GetSerialNumber() const { return m_tester ? m_tester->SerialNumber : std::string(); }
    int ReadModel() const { return 0; }
    const boost::optional<TesterConnectInfo>& currentTester() const { return m_tester; }

    boost::optional<std::string> SendTvixCmd(const std::string& cmd);
    boost::optional<std::string> SendTvixCmdQuick(const std::string& cmd);
    bool KestrixLockScreen(bool lock);

    boost::optional<std::vector<dirEntry>> DirList(const std::string& folder);
    bool DelFile(const std::string& path);
    bool MkDir(const std::string& path);

    bool WriteFile(const std::string& localPath, const std::string& remotePath);
    bool ReadFile(const std::string& remotePath, const std::string& localPath) {
        return ReadFile(remotePath, localPath, DownloadKind::Any);
    }
    bool WriteMemory(const std::vector<uint8_t>& data, const std::string& remotePath, ProgressFn progress);
    // Reads report no progress; the callback is accepted for callers that pass one.
    boost::optional<std::vector<uint8_t>> ReadMemory(const std::string& remotePath, ProgressFn progress = {}) {
        return ReadMemory(remotePath, DownloadKind::Any, std::move(progress));
    }
    boost::optional<std::vector<uint8_t>> ReadMemory(const std::string& remotePath, DownloadKind kind,
                                                     ProgressFn progress = {});
    bool ReadFile(const std::string& remotePath, const std::string& localPath, DownloadKind kind);
    // Result files: each within the result-file cap, all of them within the group cap.
    bool ReadFileGroup(FileCopyGroup* group) { return ReadFileGroup(group, DownloadKind::ResultFile); }
    // Each file within the cap of `kind`, all of them within the group cap.
    bool ReadFileGroup(FileCopyGroup* group, DownloadKind kind);

    static boost::optional<Sysinfo> GetSysinfo(const std::string& reply) { return parseSysinfoReply(reply); }

    // Why the last download failed, as the tester or the link said it ("" after a success); printable.
    const std::string& lastTransferError() const { return m_lastTransferError; }

    void AddUploadKey(const std::string& folder, int64_t key);
    std::vector<ImportKeyList>& uploadKeys() { return m_uploadKeys; }

    // The open connection, for tools that need more than the operations above (none when closed).
    SshClient* client() { return m_client.get(); }

protected:
    bool CheckScp();
    void dropScp() { m_scp.clear(); }
    bool probeConnection();
    // True when there is no connection or it no longer answers.
    bool linkLost();
    // Gives the shell the reply cap.
    void applyShellLimits();

    std::string m_user = kUser;
    std::string m_password;
    boost::optional<std::string> m_ip;
    boost::optional<TesterConnectInfo> m_tester;
    bool m_connected = false;
    std::unique_ptr<SshClient> m_client;
    std::unique_ptr<SshShell> m_shell;
    std::vector<std::unique_ptr<ScpClient>> m_scp;
    std::vector<ImportKeyList> m_uploadKeys;
    std::string m_lastTransferError;

private:
    boost::optional<std::string> sendCommand(const std::string& cmd, bool quick);
    std::vector<std::string> discoveryCandidates(IPinger& pinger);
    boost::optional<TesterConnectInfo> probeTester(const std::string& address, bool keepOpen, bool& loginRefused);

    PingFactory m_pingFactory;
    SshConnectFactory m_connectFactory;
    bool m_linkLocalScan = true;
    DownloadLimits m_limits;
    size_t m_maxReplyBytes = SshShell::kDefaultMaxReply;
};

// The upload in progress, shared by the process: only one upload reports progress at a time.
namespace UploadProgress {
void begin(int64_t size, ProgressFn callback);
void clearCallback();
// The transfer event handler of every SCP channel.
void onTransfer(uint64_t transferred, bool finished);
}  // namespace UploadProgress

}  // namespace Kestrix::Tester
