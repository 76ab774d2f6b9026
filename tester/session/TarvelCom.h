#pragma once
// The host's tester object for this family. This part forwards to the session; import, setups and
// maintenance build on it.
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "tester/host/CableIdList.h"
#include "tester/host/ImportRecInfo.h"
#include "tester/host/LogCollection.h"
#include "tester/host/SysinfoDate.h"
#include "tester/session/ImportOutcome.h"
#include "tester/session/KestrixCom.h"
#include "tester/session/KestrixSum.h"

namespace Kestrix::Tester {

class TestRecordTarvel;

// Status codes of the import operations.
namespace ImportStatus {
inline constexpr int kDone = 1;
inline constexpr int kNotLoaded = 2;  // the record's batch is not loaded
inline constexpr int kFailed = 7;
inline constexpr int kBadCall = 8;
}  // namespace ImportStatus

// Where the tester keeps its projects (with a trailing slash, as paths are built from it).
inline constexpr const char* kTesterProjectsRoot = "/microsd_userdata/projects/";

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

    // Import, in the order the host calls it: GetRecordCount, ReadImportRecInfo, then per batch
    // ReadRecordBatch and ReadTestRecord for each of its records, last FinishImport and CloseImport.
    int GetRecordCount();
    int ReadImportRecInfo(ImportRecCatalog* catalog, bool flag, TaskManager* taskManager);
    int ReadRecordBatch(const ImportBatchDefn* batchDefn, TaskManager* taskManager);
    int ReadTestRecord(std::unique_ptr<TestRecordTarvel>& record, const int64_t* accessKey, int size,
                       TaskManager* taskManager);
    void FinishImport();
    // FinishImport with its outcome: per tester folder, whether the tester marked its results. A folder
    // whose name the master table gives to more than one folder is not marked (the tester finds folders by
    // name), nor is a key the upload list cannot hold.
    std::vector<FolderMarking> markImported();
    int QueueRecSize() const { return static_cast<int>(kScpChannelCount); }
    int QueueMemSize() const { return 0; }
    int GetSourceType() const { return 1; }

    // The results found by the last GetRecordCount; the index is the record's access key.
    const std::vector<KestrixSum>& summaries() const { return m_summaries; }
    // Takes back the key of a record the caller could not keep, so that it is not marked imported.
    void forgetUploadKey(const std::string& folder, int64_t key);
    // Why the last listing found nothing ("" when it found results or the tester simply has none).
    const std::string& listingProblem() const { return m_listingProblem; }
    // Every part of the tester's databases the last listing could not read, in the order met.
    const std::vector<ListingGap>& listingGaps() const { return m_listingGaps; }

    // Batches fetch their files in one transfer (the default), or one transfer per file as a plain group
    // read does.
    void setOverlappedTransfers(bool on) { m_overlapped = on; }

    // What ReadTestRecord does with a file that arrived, for callers that fetch on their own: the record
    // built from the bytes with the metadata an import sets (project, site, cloud fields), or null with
    // `fault` saying why the bytes are not a whole result (every section must read with its checksums, and
    // the summary must read). Reads the summary once. Safe to call from several threads.
    static std::unique_ptr<TestRecordTarvel> acceptResult(const KestrixSum& sum, std::vector<uint8_t> bytes,
                                                          std::string& fault);
    // Why `bytes` are not a whole container ("" when they are): every section must read with its checksums
    // and decompress.
    static std::string containerFault(const std::vector<uint8_t>& bytes);
    // The metadata an import sets on a record of that project and site.
    static void setImportedMetaData(TestRecordTarvel& record, const std::string& project, const std::string& site);
    // One fetched file: the record's index in summaries(), its bytes (none when they did not arrive) and
    // why not (printable). Returns false to stop fetching.
    using FetchedFn =
        std::function<bool(size_t index, boost::optional<std::vector<uint8_t>>& bytes, const std::string& error)>;
    // Fetches the result files of the listed records `indices`, in that order and in one transfer (within the
    // result-file and group caps), handing each to `fetched` as soon as it has arrived. When the connection
    // drops it is made again once and the files not yet handed over are fetched on the new one; when that
    // fails they are handed over without bytes ("Lost Connection to tester", also shown to the user once per
    // listing) and the result is false.
    bool fetchResultFiles(const std::vector<size_t>& indices, const FetchedFn& fetched);

    // Shell time-out while the tester marks `keys` results.
    static int markingTimeoutMs(size_t keys) { return static_cast<int>((keys / 1000 + 1) * 3000); }
    // The upload-list container of one project's keys (each cut to 32 bits).
    static std::vector<uint8_t> uploadListFile(const std::vector<int64_t>& keys);

    TarvelCom* GetImporter() { return this; }
    TarvelCom* GetTesterUtilities() { return this; }
    TarvelCom* GetProjectSetupInterface() { return this; }

    // The pauses the tester needs between steps (tests replace them to run quickly).
    void setPauseFn(std::function<void(int ms)> fn) { m_pause = std::move(fn); }

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
    boost::optional<std::vector<uint8_t>> UploadProjectSetup(const std::string& name, int& result,
                                                             std::string& fileName);
    // Host to tester; returns one of ProjectResult. `text` is not used.
    int DownloadNewProjectSetup(const std::string& name, bool overwrite, int platform,
                                const std::vector<uint8_t>& bytes, bool force, const std::string& text);
    // True only when the tester answered "OK".
    bool UpdateCableIDList(const CableIDList& list);
    // The same, with what happened.
    CableIdPush pushCableIdList(const CableIDList& list);
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
    void setSetupsProgress(ProgressFn fn) { m_setupsProgress = std::move(fn); }

    // ---- Maintenance (tester/maintenance/) ----
    // Host update status: 3 the update runs (the connection is closed, the screen stays locked), 7 the
    // upload failed, 12 no package, no reply or an unknown reply; the others come from the tester's reply.
    int UpdateFirmware(const std::vector<uint8_t>& package, bool force, ProgressFn progress,
                       std::function<void(const std::string&)> progressText);
    boost::optional<std::string> RetrieveSwVers();
    CalDate ModuleCalDate(std::string& moduleName, std::string& serial);
    // None when no log file arrived.
    boost::optional<std::vector<uint8_t>> RetrieveLogDataZip(bool lockScreen);
    // The same, naming every file left out for another reason than not being there.
    LogCollection collectLogs(bool lockScreen);
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
    int GetPlatform() const { return kPlatform; }

protected:
    void pause(int ms);

private:
    void listProject(const std::filesystem::path& tempDir, const std::string& dirName, const std::string& project,
                     const std::string& site, const std::string& keyProject, int& reconnects);
    // A database of the listing; when the link drops under it and `reconnects` allows, once more on a new one.
    boost::optional<std::vector<uint8_t>> fetchListingDatabase(const std::string& path, int& reconnects);
    std::string downloadFailure() const;
    bool batchLostConnection();
    // Sends one folder's upload list and asks the tester to mark it; "" when it answered "OK", else why not.
    std::string markFolder(const std::string& project, const std::vector<int64_t>& keys, size_t listIndex);
    bool readGroupOverlapped(FileCopyGroup* group);

    std::vector<KestrixSum> m_summaries;
    std::unique_ptr<FileCopyGroup> m_batch;
    std::string m_listingProblem;
    std::vector<ListingGap> m_listingGaps;
    // Name and folder of every named master row, in table order (for marking, which goes by name).
    std::vector<std::pair<std::string, std::string>> m_projectNames;
    bool m_lostConnectionShown = false;
    bool m_overlapped = true;
    std::function<void(int ms)> m_pause;
    ProgressFn m_setupsProgress;
};

}  // namespace Kestrix::Tester
