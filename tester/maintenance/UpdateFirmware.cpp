// Software update of a main unit (the package is handed over whole) or of a first-generation remote unit
// (the files its manifest lists are unpacked into the tester's image folder).
#include "tester/host/Log.h"
#include "tester/maintenance/UpdatePackage.h"
#include "tester/maintenance/UpdateStatus.h"
#include "tester/session/TarvelCom.h"
#include "tester/setups/ScreenLock.h"

namespace Kestrix::Tester {
namespace {

constexpr const char* kMainPackage = "/tmp/update.kes";
constexpr const char* kSecondGenPackage = "/tmp/update.ke2";
constexpr const char* kImageFolder = "/tmp/rmt_swupdate/images/";
constexpr int kVerifyPauseMs = 1000;
constexpr int kUpdateTimeoutMs = 120000;

bool secondGeneration(const std::string& model) { return model == "Tarvel2" || model == "Ombrel2"; }

// The package's listed files go to the image folder one by one; nothing else of the archive is read into
// memory, and a listed name that could point outside the folder refuses the whole package.
bool uploadRemoteImages(TarvelCom& com, const std::vector<uint8_t>& package, const ProgressFn& progress) {
    UpdatePackage reader(package.data(), package.size());
    auto manifest = reader.readManifest();
    if (!manifest) {
        Log::ErrMsg("Update package refused", reader.error());
        return false;
    }
    if (manifest->remote_update_files.empty()) {
        Log::ErrMsg("Update package refused", "the manifest lists no files");
        return false;
    }
    for (const auto& name : manifest->remote_update_files) {
        if (!isSafeImageName(name)) {
            Log::ErrMsg("Update package refused", "the manifest lists a name that is not a plain file name");
            return false;
        }
    }
    com.SendTvixCmd(std::string("mkdir -p ") + kImageFolder);
    const bool walked = reader.forEachListedFile(manifest->remote_update_files,
                                                 [&](const std::string& name, const std::vector<uint8_t>& bytes) {
                                                     return com.WriteMemory(bytes, kImageFolder + name, progress);
                                                 });
    if (!walked) Log::ErrMsg("Update package not delivered", reader.error());
    return walked;
}

}  // namespace

int TarvelCom::UpdateFirmware(const std::vector<uint8_t>& package, bool force, ProgressFn progress,
                              std::function<void(const std::string&)> progressText) {
    LogContext context("Update Tarvel software");
    try {
        auto reply = SendTvixCmd("sysinfo");
        auto info = reply ? GetSysinfo(*reply) : boost::none;
        if (!info) {
            Log::ErrMsg("No sysinfo from the tester");
            return kUpdateNoReply;
        }
        const SysinfoInstrument& inst = info->instruments.front();
        std::string target = kMainPackage;
        bool remote = false;
        if (secondGeneration(inst.model))
            target = kSecondGenPackage;
        else
            remote = !inst.config.empty() && inst.config != "main";

        if (package.empty()) return kUpdateNoReply;
        // Refused before the screen is locked and before a byte is sent: what is not a whole package (or, for a
        // remote unit, lists nothing it holds) would only fail on the tester, or be installed as firmware.
        UpdatePackage check(package.data(), package.size());
        const std::string problem = check.problem(remote);
        if (!problem.empty()) {
            Log::ErrMsg("Update package refused", problem);
            return kUpdateUploadFailed;
        }
        // Unlocked on every way out but one: an update that runs keeps the tester locked until it restarts.
        ScreenLock lock(*this);

        const bool uploaded =
            remote ? uploadRemoteImages(*this, package, progress) : WriteMemory(package, target, progress);
        if (!uploaded) return kUpdateUploadFailed;

        if (progressText) progressText("verify");
        pause(kVerifyPauseMs);
        SetTimeout(kUpdateTimeoutMs);
        auto answer = SendTvixCmdQuick(force ? "swupdate --terse --force-update" : "swupdate --terse");
        SetTimeout(0);
        // No answer at all: the tester may have dropped the link because it is installing and restarting.
        // Unlocking would reconnect and type into it mid-update, so it is left locked; it unlocks as it restarts.
        if (!answer || answer->empty()) {
            lock.keepLocked();
            return kUpdateNoReply;
        }
        const int status = updateStatusFromReply(*answer);
        if (status == kUpdateRunning) {
            lock.keepLocked();
            Close();
        }
        return status;
    } catch (const std::exception& e) {
        Log::ExceptionMsg(e, "UpdateFirmware");
        return kUpdateNoReply;
    }
}

}  // namespace Kestrix::Tester
