#pragma once
// The host's tester object for this family. This part forwards to the session; import, setups and
// maintenance build on it.
#include <chrono>
#include <functional>

#include "tester/maintenance/SysinfoDate.h"
#include "tester/session/KestrixCom.h"
#include "tester/setups/CableIdList.h"

namespace Kestrix::Tester {

class TarvelCom : public KestrixCom {
public:
    using KestrixCom::KestrixCom;

    // Connects only to testers of this family (platform 11).
    bool Connect(const TesterConnectInfo& info);
    // Asks the connection (reconnecting when it dropped), unlike KestrixCom::IsConnected.
    bool IsConnected() { return CheckConnect(true); }
    bool LockScreen(bool lock) { return KestrixLockScreen(lock); }
    boost::optional<std::string> SendCommand(const std::string& cmd) { return SendTvixCmd(cmd); }
    boost::optional<std::string> SendCommand2(const std::string&) { return boost::none; }
    boost::optional<std::vector<dirEntry>> Dir(const std::string& folder) { return DirList(folder); }
    bool DeleteFile(const std::string& path) { return DelFile(path); }
    bool Mkdir(const std::string& path) { return !path.empty() && MkDir(path); }
    bool WriteFileToTester(const std::string& localPath, const std::string& remotePath);
    bool ReadFileFromTester(const std::string& remotePath, const std::string& localPath);
    void CloseImport() { Close(); }
    void Disconnect() {}
    void SetSerial(const std::string&) {}
    bool SerialPortTest() { return false; }

    TarvelCom* GetImporter() { return this; }
    TarvelCom* GetTesterUtilities() { return this; }
    TarvelCom* GetProjectSetupInterface() { return this; }

    // The pauses the tester needs between steps (tests replace them to run quickly).
    void setPauseFn(std::function<void(int ms)> fn) { _pause = std::move(fn); }

    // ---- Setups exchange (tester/setups/) ----
    // Host project transfer results.
    enum ProjectResult : int {
        kProjectDone = 0,
        kProjectDoneCustom = 1,
        kProjectExists = 3,
        kProjectNotFound = 4,
        kProjectUnreadable = 5,
        kProjectFailed = 6,
        kProjectBadCall = 7,
        kProjectExportFailed = 8,
        kProjectNoReply = 9,
    };
    static constexpr const char* kSettingsUpload = "/tmp/setting_wr";
    static constexpr const char* kSettingsDownload = "/tmp/setting_rd";
    static constexpr const char* kMasterDatabase = "/microsd_userdata/projects/master.sql";
    // The tester needs a moment after the screen lock before it takes setups.
    static constexpr int kLockSettleMs = 500;

    bool UpdateSettings(const std::vector<uint8_t>& settingsFile);
    boost::optional<std::vector<uint8_t>> RetrieveSettings();
    // None when the tester's master database cannot be read.
    boost::optional<std::vector<std::string>> GetProjectNames();
    // Tester to host: the project setup file, with `result` one of ProjectResult.
    boost::optional<std::vector<uint8_t>> UploadProjectSetup(const std::string& name, int& result, std::string& fileName);
    // Host to tester; returns one of ProjectResult. `text` is not used.
    int DownloadNewProjectSetup(const std::string& name, bool overwrite, int platform, const std::vector<uint8_t>& bytes,
                                bool force, const std::string& text);
    bool UpdateCableIDList(const CableIDList& list);
    bool DoesIDListExist(const CableIDList& list);
    boost::optional<std::vector<std::string>> GetCableIDListFolders();
    // The list names as above, but an empty list when the tester has none and none only without a reply.
    boost::optional<std::vector<std::string>> cableIdListNames();
    bool DeleteCableIdList(const std::string& name);
    bool UpdateSettingsZip(const std::vector<uint8_t>&) { return false; }
    boost::optional<std::vector<uint8_t>> RetrieveSettingsZip() { return boost::none; }
    int UpdateLimit(const std::vector<uint8_t>&) { return 0; }
    bool RevertLimit() { return false; }
    boost::optional<std::vector<uint8_t>> RetrieveLimit() { return boost::none; }
    // Progress of the uploads of the setups operations (none by default).
    void setSetupsProgress(ProgressFn fn) { _setupsProgress = std::move(fn); }

    // ---- Maintenance (tester/maintenance/) ----
    // Host update status: 3 the update runs (the connection is closed, the screen stays locked), 7 the
    // upload failed, 12 no package, no reply or an unknown reply; the others come from the tester's reply.
    int UpdateFirmware(const std::vector<uint8_t>& package, bool force, ProgressFn progress,
                       std::function<void(const std::string&)> progressText);
    boost::optional<std::string> RetrieveSwVers();
    CalDate ModuleCalDate(std::string& moduleName, std::string& serial);
    boost::optional<std::vector<uint8_t>> RetrieveLogDataZip(bool lockScreen);
    // 640 x 480 pixels of three bytes (RGB), no header.
    boost::optional<std::vector<uint8_t>> RetrieveDisplayImage();
    int DisplayFormat() const { return 2; }
    int RotateImage() const { return 0; }
    static CalDate ParseSysInfoDate(const std::string& text) { return parseSysinfoDate(text); }

    // What this family does not offer.
    CalDate TesterCalDate() const { return kMinDate; }
    boost::optional<std::vector<std::string>> ReadSwUpdateList() { return boost::none; }
    int SendSwUpdateList(const std::vector<std::string>&) { return 0; }
    int UpdateCustomLogo(const std::vector<uint8_t>&) { return 0; }
    void RestoreDefaultLogo() {}
    boost::optional<std::string> RetrieveLogDataText() { return boost::none; }
    boost::optional<std::string> RetrieveTesterInfo() { return boost::none; }
    bool DeleteAllRecords() { return false; }
    int RecsCantDelete() const { return 0; }
    int RecsCanDelete() const { return 1; }
    bool PLIsSalsaNose() const { return false; }
    bool PLMainOnly() const { return true; }
    void PLSetDate(const CalDate&) {}
    int PLRunStep(int) { return 1; }
    bool SendPingList(const std::vector<std::string>&) { return false; }
    boost::optional<std::vector<std::string>> RetrievePingList() { return boost::none; }
    bool IsBraindead() const { return false; }
    void SetBDProject(const std::string&) {}
    void SetBDOperator(const std::string&) {}
    void SetBDCableID(const std::string&) {}
    void SetBDDate(const CalDate&) {}
    int GetSourceType() const { return 1; }
    int GetPlatform() const { return kPlatform; }

protected:
    void pause(int ms);

private:
    std::function<void(int ms)> _pause;
    ProgressFn _setupsProgress;
};

}  // namespace Kestrix::Tester
