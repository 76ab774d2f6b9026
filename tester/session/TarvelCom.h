#pragma once
// The host's tester object for this family. This part forwards to the session; import, setups and
// maintenance build on it.
#include <filesystem>
#include <memory>

#include "tester/host/ImportRecInfo.h"
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
    int QueueRecSize() const { return static_cast<int>(kScpChannelCount); }
    int QueueMemSize() const { return 0; }
    int GetSourceType() const { return 1; }

    // The results found by the last GetRecordCount; the index is the record's access key.
    const std::vector<KestrixSum>& Summaries() const { return m_summaries; }
    // Takes back the key of a record the caller could not keep, so that it is not marked imported.
    void ForgetUploadKey(const std::string& folder, int64_t key);
    // Why the last listing found nothing ("" when it found results or the tester simply has none).
    const std::string& ListingProblem() const { return m_listingProblem; }

    // Batches fetch their files in one transfer (the default), or one transfer per file as a plain group
    // read does.
    void setOverlappedTransfers(bool on) { m_overlapped = on; }

    // Shell time-out while the tester marks `keys` results.
    static int MarkingTimeoutMs(size_t keys) { return static_cast<int>((keys / 1000 + 1) * 3000); }
    // The upload-list container of one project's keys (each cut to 32 bits).
    static std::vector<uint8_t> UploadListFile(const std::vector<int64_t>& keys);

    TarvelCom* GetImporter() { return this; }
    TarvelCom* GetTesterUtilities() { return this; }
    TarvelCom* GetProjectSetupInterface() { return this; }

private:
    void listProject(const std::filesystem::path& tempDir, const std::string& dirName, const std::string& project,
                     const std::string& site, const std::string& keyProject);
    bool batchLostConnection();
    bool readGroupOverlapped(FileCopyGroup* group);

    std::vector<KestrixSum> m_summaries;
    std::unique_ptr<FileCopyGroup> m_batch;
    std::string m_listingProblem;
    bool m_lostConnectionShown = false;
    bool m_overlapped = true;
};

}  // namespace Kestrix::Tester
