// The reports, logs and screen capture of the utility side of TarvelCom.
#include <optional>

#include "tester/host/Log.h"
#include "tester/maintenance/LogArchive.h"
#include "tester/maintenance/SoftwareReport.h"
#include "tester/session/TarvelCom.h"
#include "tester/setups/ScreenLock.h"

namespace Kestrix::Tester {
namespace {

constexpr const char* kScreenFile = "/tmp/sd.ppm";
constexpr size_t kScreenBytes = 640 * 480 * 3;
constexpr int kCaptureAttempts = 2;

// Fetched as one group, in this order; the archive names them without their folder.
constexpr const char* kLogFiles[] = {
    "/var/log/kestrix.err",
    "/var/log/kestrix.err.1.gz",
    "/var/log/kestrix.err.2.gz",
    "/var/log/kestrix.err.3.gz",
    "/var/log/kestrix.log",
    "/var/log/kestrix.log.1.gz",
    "/tmp/dmesg.txt",
    "/var/log/messages",
    "/var/log/messages.1.gz",
    "/tmp/sysinfo.txt",
};
static_assert(std::size(kLogFiles) <= KestrixCom::kScpChannelCount);

// The tester's scp says so for a log that rotation has not made yet.
bool notOnTester(const std::string& error) { return error.find("No such file or directory") != std::string::npos; }

std::string archiveName(std::string path) {
    for (const std::string folder : {"/var/log/", "/tmp/"})
        for (size_t pos = path.find(folder); pos != std::string::npos; pos = path.find(folder, pos))
            path.erase(pos, folder.size());
    return path;
}

}  // namespace

boost::optional<std::string> TarvelCom::RetrieveSwVers() {
    try {
        auto reply = SendTvixCmd("sysinfo");
        auto info = reply ? GetSysinfo(*reply) : boost::none;
        if (!info) return boost::none;
        return softwareReport(*info);
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, "RetrieveSwVers");
        return boost::none;
    }
}

CalDate TarvelCom::ModuleCalDate(std::string& moduleName, std::string& serial) {
    try {
        auto reply = SendTvixCmd("sysinfo");
        auto info = reply ? GetSysinfo(*reply) : boost::none;
        if (!info) return kMinDate;
        ModuleCalibration cal = moduleCalibration(*info);
        if (cal.date != kMinDate) {
            moduleName = cal.moduleName;
            serial = cal.serial;
        }
        return cal.date;
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, "ModuleCalDate");
        return kMinDate;
    }
}

boost::optional<std::vector<uint8_t>> TarvelCom::RetrieveLogDataZip(bool lockScreen) {
    return collectLogs(lockScreen).zip;
}

LogCollection TarvelCom::collectLogs(bool lockScreen) {
    LogContext context("Retrieve Tarvel log data");
    LogCollection out;
    try {
        FileCopyGroup group;
        bool finished = false;
        {
            std::optional<ScreenLock> lock;
            if (lockScreen) lock.emplace(*this);
            SendTvixCmd("dmesg > /tmp/dmesg.txt");
            SendTvixCmd("sysinfo > /tmp/sysinfo.txt");
            for (const char* path : kLogFiles) group.AddFile(path);
            finished = ReadFileGroup(&group, DownloadKind::Log);
        }
        if (!finished) return out;
        std::vector<ArchiveFile> files;
        for (auto& f : group.files()) {
            if (f.data && !f.data->empty()) {
                files.push_back({archiveName(f.remotePath), std::move(*f.data)});
            } else if (!f.data && !notOnTester(f.error)) {
                out.leftOut.push_back({f.remotePath, f.error.empty() ? "it did not arrive" : f.error});
            }
        }
        out.files = files.size();
        // An archive of nothing is no collection of logs: the link went before any arrived.
        if (files.empty()) {
            Log::ErrMsg("No log file arrived");
            return out;
        }
        out.zip = buildZip(files);
        if (!out.zip) Log::ErrMsg("Failed to build the log archive");
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, "RetrieveLogDataZip");
        out.zip = boost::none;
    }
    return out;
}

boost::optional<std::vector<uint8_t>> TarvelCom::RetrieveDisplayImage() {
    LogContext context("Tarvel Reading Display Image");
    boost::optional<std::vector<uint8_t>> image;
    try {
        for (int attempt = 0; attempt < kCaptureAttempts && !image; ++attempt) {
            if (!CheckConnect(true)) break;
            if (!SendTvixCmd(std::string("fbdump >") + kScreenFile)) {
                Close();
                OpenCurrentTester();
                Log::ErrMsg("SendCommand(fbdump...) failed.  Retrying");
                continue;
            }
            auto bytes = ReadMemory(kScreenFile, DownloadKind::ScreenImage);
            if (!bytes) {
                Log::ErrMsg("failed reading image file");
            } else if (bytes->size() < kScreenBytes) {
                Log::ErrMsg("truncated image file");
            } else {
                image = std::move(bytes);
            }
        }
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, "RetrieveDisplayImage");
    }
    return image;
}

}  // namespace Kestrix::Tester
