// Import, second half: fetching result files in batches, building records, and marking the imported
// results on the tester.
#include <cstring>

#include "common/PFile.h"
#include "tester/host/Log.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/session/TarvelCom.h"
#include "tester/ssh/ScpPipeline.h"
#include "tester/ssh/ShellQuote.h"

namespace Kestrix::Tester {
namespace {

constexpr int kLostConnectionError = 21;
constexpr int kRecordReadError = 6;

std::string displayName(const boost::optional<TesterConnectInfo>& tester) {
    return tester ? tester->DisplayName : std::string();
}

}  // namespace

bool TarvelCom::batchLostConnection() {
    // A transfer error marks its file done without data; when the connection went with it, the files
    // that did not arrive are fetched again on a new connection instead.
    if (m_client && m_connected) return false;
    bool missing = false;
    for (auto& f : m_batch->files()) {
        if (!f.data) {
            f.done = false;
            missing = true;
        }
    }
    return missing;
}

// The group read as one transfer of all its files; the same outcome per file, logs and failures.
bool TarvelCom::readGroupOverlapped(FileCopyGroup* group) {
    if (!group || group->size() == 0) return false;
    if (!m_client && !OpenCurrentTester()) return false;
    if (group->size() > kScpChannelCount) return false;
    UploadProgress::begin(0, nullptr);
    std::vector<PipelinedFile> files;
    for (const auto& f : group->files()) files.push_back({f.remotePath, boost::none, {}, false});
    getFilesInOneTransfer(*m_client, files, kDefaultTimeoutMs, uint64_t(4) << 30);
    bool lost = false;
    for (size_t i = 0; i < files.size(); ++i) {
        FileCopyInfo& f = group->files()[i];
        f.data = std::move(files[i].data);
        f.done = true;
        if (!f.data) {
            Log::ErrMsg("SCP exception: " + files[i].error, fillIn("SourceFile={0}", f.remotePath));
            lost = lost || files[i].socketError;
        }
    }
    if (lost) {
        dropScp();
        Close();
    }
    return group->GroupFinished();
}

int TarvelCom::ReadRecordBatch(const ImportBatchDefn* batchDefn, TaskManager*) {
    LogContext context("Reading batch of records");
    if (!batchDefn) {
        Log::ErrMsg("Internal error: null batch key");
        return ImportStatus::kFailed;
    }
    const int count = static_cast<int>(m_summaries.size());
    const int end = batchDefn->EndIndex < count ? batchDefn->EndIndex : count;
    const int start = batchDefn->StartIndex < 0 ? 0 : batchDefn->StartIndex;
    m_batch = std::make_unique<FileCopyGroup>();
    for (int i = start; i < end; ++i)
        m_batch->AddFile(std::string(kTesterProjectsRoot) + m_summaries[static_cast<size_t>(i)].fileName);

    bool finished = false;
    for (int attempt = 0; attempt < 2 && !finished; ++attempt) {
        if (m_batch->size() == 1) {
            FileCopyInfo& f = m_batch->files()[0];
            f.data = ReadMemory(f.remotePath);
            f.done = true;
        } else {
            FileCopyGroup pending;
            std::vector<size_t> where;
            for (size_t i = 0; i < m_batch->size(); ++i) {
                if (!m_batch->files()[i].done) {
                    pending.AddFile(m_batch->files()[i].remotePath);
                    where.push_back(i);
                }
            }
            if (m_overlapped)
                readGroupOverlapped(&pending);
            else
                ReadFileGroup(&pending);
            for (size_t k = 0; k < where.size(); ++k) m_batch->files()[where[k]] = std::move(pending.files()[k]);
        }
        finished = m_batch->GroupFinished() && !batchLostConnection();
        if (finished) break;
        dropScp();
        if (!CheckConnect(true)) {
            if (!m_lostConnectionShown)
                Err::DisplayLater(kLostConnectionError, 3, displayName(m_tester), "Lost Connection to tester");
            m_lostConnectionShown = true;
            return ImportStatus::kFailed;
        }
        CheckScp();
    }
    if (!finished) {
        Err::DisplayInternalErrorLater(1, "Failed reading file group");
        return ImportStatus::kFailed;
    }
    return ImportStatus::kDone;
}

int TarvelCom::ReadTestRecord(std::unique_ptr<TestRecordTarvel>& record, const int64_t* accessKey, int size,
                              TaskManager*) {
    LogContext context("Reading test record");
    if (!accessKey || size <= 0) {
        Err::DisplayInternalErrorLater(1, "Null record key argument");
        return ImportStatus::kFailed;
    }
    if (*accessKey < 0 || *accessKey >= static_cast<int64_t>(m_summaries.size())) return ImportStatus::kFailed;
    if (!m_batch) return ImportStatus::kNotLoaded;
    const KestrixSum& s = m_summaries[static_cast<size_t>(*accessKey)];
    const std::string path = std::string(kTesterProjectsRoot) + s.fileName;
    const FileCopyInfo* entry = nullptr;
    for (const auto& f : m_batch->files()) {
        if (f.remotePath == path) {
            entry = &f;
            break;
        }
    }
    if (!entry || !entry->done) {
        m_batch.reset();
        return ImportStatus::kNotLoaded;
    }
    Log::AddContextDetail(s.fileName, "File");
    // A file shorter or longer than the tester's own database says was cut or changed on the way: it is
    // reported like one that did not arrive rather than handed on as a good record.
    const bool sizeDiffers = entry->data && s.fileSize > 0 && static_cast<int64_t>(entry->data->size()) != s.fileSize;
    if (!entry->data || entry->data->empty() || sizeDiffers) {
        if (sizeDiffers)
            Log::ErrMsg("Record size differs from the tester's database",
                        std::to_string(entry->data->size()) + " of " + std::to_string(s.fileSize) + " bytes");
        Err::DisplayLater(kRecordReadError, 1, s.fileName, "Failed to read record.");
        return ImportStatus::kFailed;
    }
    auto made = std::make_unique<TestRecordTarvel>();
    made->SetSerializedResult(*entry->data);
    RecordMetaData& meta = made->GetMetaData();
    meta.Project = s.project;
    meta.Site = s.site;
    meta.CloudProjectID = "NAME:" + s.project;
    meta.CloudResultID = "NAME:" + meta.RawCableID;
    meta.ModifiedDateOnCloud = meta.TestDate;
    record = std::move(made);
    AddUploadKey(s.keyProject, s.key);
    return ImportStatus::kDone;
}

void TarvelCom::forgetUploadKey(const std::string& folder, int64_t key) {
    for (auto& list : m_uploadKeys) {
        if (list.Folder() != folder) continue;
        list.Remove(key);
        return;
    }
}

std::vector<uint8_t> TarvelCom::uploadListFile(const std::vector<int64_t>& keys) {
    std::vector<uint8_t> payload;
    payload.reserve(keys.size() * 4);
    for (int64_t key : keys) {
        const auto v = static_cast<uint32_t>(static_cast<uint64_t>(key));
        for (int b = 0; b < 4; ++b) payload.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
    if (payload.size() > PFile::kMaxUncompressed) return {};
    PFile::Section section;
    if (section.setCopy(PFile::SectionType::UploadList, 1, PFile::SECTION_FLAG_NONE, payload, 0) != 0) return {};
    std::vector<uint8_t> buffer(payload.size() + 100);
    PFile::MemWriter writer;
    if (writer.open(buffer.data(), static_cast<int32_t>(buffer.size())) != 0 || writer.write(section) != 0 ||
        writer.close() != 0)
        return {};
    buffer.resize(writer.length());
    return buffer;
}

void TarvelCom::FinishImport() {
    for (size_t i = 0; i < m_uploadKeys.size(); ++i) {
        const ImportKeyList& list = m_uploadKeys[i];
        if (list.GetKeys().empty()) continue;
        const auto file = uploadListFile(list.GetKeys());
        if (file.empty()) {
            Log::ErrMsg("Cannot build the upload list", list.Folder());
            continue;
        }
        SetTimeout(markingTimeoutMs(list.GetKeys().size()));
        const std::string remote = "/tmp/uplist" + std::to_string(i);
        if (WriteMemory(file, remote, nullptr) && !list.Folder().empty()) {
            // The project name comes from the tester's own database: quoted so the shell takes it literally.
            auto project = doubleQuoted(list.Folder());
            auto path = singleQuoted(remote);
            if (project && path)
                SendTvixCmdQuick("smmarkuploaded -q -p " + *project + " -f " + *path);
            else
                Log::ErrMsg("Project name holds a control character", list.Folder());
        }
        SetTimeout(0);
    }
}

}  // namespace Kestrix::Tester
