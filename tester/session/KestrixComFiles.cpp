// Listing, creating and deleting on the tester, and SCP transfers.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

#include "tester/host/Log.h"
#include "tester/host/Printable.h"
#include "tester/session/DirListing.h"
#include "tester/session/KestrixCom.h"
#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {

namespace UploadProgress {
namespace {

std::mutex& mutex() {
    static std::mutex m;
    return m;
}
int64_t g_size = 0;
ProgressFn g_callback;

}  // namespace

void begin(int64_t size, ProgressFn callback) {
    std::lock_guard<std::mutex> lock(mutex());
    g_size = size;
    g_callback = std::move(callback);
}

void clearCallback() {
    std::lock_guard<std::mutex> lock(mutex());
    g_callback = nullptr;
}

void onTransfer(uint64_t transferred, bool finished) {
    ProgressFn callback;
    int percent = 0;
    {
        std::lock_guard<std::mutex> lock(mutex());
        if (finished) g_size = 0;
        if (g_size <= 0 || !g_callback) return;
        double p = static_cast<double>(transferred) * 100.0 / static_cast<double>(g_size);
        percent = p >= 100.0 ? 100 : static_cast<int>(p);
        callback = g_callback;
    }
    if (percent > 0) callback(percent);
}

}  // namespace UploadProgress

namespace {

// `cmd "path"` with the path quoted for the tester's shell; none (logged) when the path cannot be sent
// or would be taken as an option.
boost::optional<std::string> withPath(const char* cmd, const std::string& path) {
    auto quoted = doubleQuoted(path);
    if (!quoted) {
        Log::ErrMsg(cmd, "Path holds a control character");
        return boost::none;
    }
    if (isOptionLike(path)) {
        Log::ErrMsg(cmd, fillIn("Path begins with \"-\": {0}", path));
        return boost::none;
    }
    return std::string(cmd) + " " + *quoted;
}

constexpr const char* kNotConnected = "the connection to the tester was lost";

bool isSocketError(const std::exception& e) {
    auto* s = dynamic_cast<const SshError*>(&e);
    return s && s->isSocketError();
}

}  // namespace

boost::optional<std::vector<dirEntry>> KestrixCom::DirList(const std::string& folder) {
    if (!m_connected || folder.empty()) return boost::none;
    auto cmd = withPath("ls -lQ", folder);
    if (!cmd) return boost::none;
    auto reply = SendTvixCmd(*cmd);
    if (!reply) return boost::none;
    return parseDirListing(*reply);
}

bool KestrixCom::DelFile(const std::string& path) {
    auto cmd = withPath("rm", path);
    if (!cmd) return false;
    auto reply = SendTvixCmd(*cmd);
    return reply && reply->empty();
}

bool KestrixCom::MkDir(const std::string& path) {
    auto cmd = withPath("mkdir", path);
    if (!cmd) return false;
    auto reply = SendTvixCmd(*cmd);
    return reply && reply->empty();
}

bool KestrixCom::CheckScp() {
    if (m_client && m_scp.empty() && m_tester) {
        try {
            for (size_t i = 0; i < kScpChannelCount; ++i) {
                auto scp = std::make_unique<ScpClient>();
                scp->setTimeout(kDefaultTimeoutMs);
                scp->setProgressHandler(&UploadProgress::onTransfer);
                scp->bind(*m_client);
                m_scp.push_back(std::move(scp));
            }
        } catch (const std::exception&) {
            m_scp.clear();
        }
    }
    return !m_scp.empty();
}

bool KestrixCom::WriteMemory(const std::vector<uint8_t>& data, const std::string& remotePath, ProgressFn progress) {
    if (!m_client || data.empty() || remotePath.empty()) return false;
    LogContext context("Kestrix: WriteMemory to tester");
    if (!isTerminalSafe(remotePath) || isOptionLike(remotePath)) {
        Log::ErrMsg("Path cannot be sent", fillIn("DestinationFile={0}", remotePath));
        return false;
    }
    bool written = false;
    try {
        CheckScp();
        UploadProgress::begin(static_cast<int64_t>(data.size()), std::move(progress));
        if (!m_scp.empty() && m_client->isConnected()) {
            m_scp[0]->putFile(data, remotePath);
            written = true;
        }
        UploadProgress::clearCallback();
    } catch (const std::exception& e) {
        UploadProgress::begin(0, nullptr);
        // The shell shares the connection that is dropped here, so the session is closed as a whole.
        Close();
        Log::ErrMsg(std::string("SCP exception: ") + e.what(), fillIn("DestinationFile={0}", remotePath));
        return false;
    }
    return written;
}

uint64_t DownloadLimits::capFor(DownloadKind kind) const {
    switch (kind) {
        case DownloadKind::Database: return database;
        case DownloadKind::ResultFile: return resultFile;
        case DownloadKind::Log: return log;
        case DownloadKind::ScreenImage: return screenImage;
        case DownloadKind::Any: break;
    }
    return std::max({database, resultFile, log, screenImage});
}

boost::optional<std::vector<uint8_t>> KestrixCom::ReadMemory(const std::string& remotePath, DownloadKind kind,
                                                             ProgressFn) {
    m_lastTransferError = kNotConnected;
    if (!m_client || remotePath.empty()) return boost::none;
    LogContext context("Kestrix: ReadMemory from tester");
    if (!isTerminalSafe(remotePath) || isOptionLike(remotePath)) {
        m_lastTransferError = "the path cannot be sent";
        Log::ErrMsg("Path cannot be sent", fillIn("SourceFile={0}", remotePath));
        return boost::none;
    }
    try {
        CheckScp();
        UploadProgress::begin(0, nullptr);
        if (m_scp.empty()) return boost::none;
        m_scp[0]->setMaxFileSize(m_limits.capFor(kind));
        auto bytes = m_scp[0]->getFile(remotePath);
        m_lastTransferError = bytes.empty() ? "the file is empty" : "";
        if (bytes.empty()) return boost::none;
        return bytes;
    } catch (const std::exception& e) {
        dropScp();
        if (isSocketError(e)) Close();
        m_lastTransferError = printable(e.what());
        Log::ErrMsg(std::string("SCP exception: ") + e.what(), fillIn("SourceFile={0}", remotePath));
    }
    return boost::none;
}

bool KestrixCom::ReadFileGroup(FileCopyGroup* group, DownloadKind kind) {
    if (!group || group->size() == 0) return false;
    if (!m_client && !OpenCurrentTester()) return false;
    if (group->size() > kScpChannelCount) return false;
    UploadProgress::begin(0, nullptr);
    auto& files = group->files();
    uint64_t budget = m_limits.group;
    for (size_t i = 0; i < files.size(); ++i) {
        FileCopyInfo& f = files[i];
        f.error = kNotConnected;
        try {
            if (CheckScp() && i < m_scp.size()) {
                m_scp[i]->setMaxFileSize(std::min(m_limits.capFor(kind), budget));
                f.data = m_scp[i]->getFile(f.remotePath);
                f.error.clear();
                budget -= std::min<uint64_t>(budget, f.data->size());
            }
        } catch (const std::exception& e) {
            f.data = boost::none;
            f.error = printable(e.what());
            dropScp();
            if (isSocketError(e)) Close();
            Log::ErrMsg(std::string("SCP exception: ") + e.what(), fillIn("SourceFile={0}", f.remotePath));
        }
        f.done = true;
    }
    return group->GroupFinished();
}

bool KestrixCom::WriteFile(const std::string& localPath, const std::string& remotePath) {
    std::ifstream in(localPath, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return false;
    return WriteMemory(bytes, remotePath, nullptr);
}

bool KestrixCom::ReadFile(const std::string& remotePath, const std::string& localPath, DownloadKind kind) {
    auto bytes = ReadMemory(remotePath, kind);
    if (!bytes) return false;
    std::ofstream out(localPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes->data()), static_cast<std::streamsize>(bytes->size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace Kestrix::Tester
