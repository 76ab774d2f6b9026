// Import, second half: fetching result files in batches, building records, and marking the imported
// results on the tester.
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "common/PFile.h"
#include "common/ResultEnvelope.h"
#include "tester/host/Log.h"
#include "tester/host/Printable.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/session/TarvelCom.h"
#include "tester/ssh/ScpPipeline.h"
#include "tester/ssh/ShellQuote.h"
#include "tester/ssh/ShellText.h"

namespace Kestrix::Tester {
namespace {

constexpr int kLostConnectionError = 21;
constexpr int kRecordReadError = 6;

std::string displayName(const boost::optional<TesterConnectInfo>& tester) {
    return tester ? tester->DisplayName : std::string();
}

}  // namespace

std::string TarvelCom::containerFault(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return "nothing arrived";
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) return "larger than any result";
    const auto size = static_cast<uint32_t>(bytes.size());
    const auto sections = Kestrix::readResultSections(
        bytes.data(), size, [](const PFile::Section&) { return Kestrix::ResultReaderStatus::success; });
    if (sections != Kestrix::ResultReaderStatus::success)
        return std::string("the container does not read: ") + Kestrix::toString(sections);
    return "";
}

std::unique_ptr<TestRecordTarvel> TarvelCom::acceptResult(const KestrixSum& s, std::vector<uint8_t> bytes,
                                                          std::string& fault) {
    // A record is only what decodes: a file cut on the way, or bytes that were never a result, would be
    // kept (and marked imported on the tester) as a record nobody can open.
    fault = containerFault(bytes);
    if (!fault.empty()) return nullptr;
    auto made = std::make_unique<TestRecordTarvel>(std::move(bytes));
    if (made->summaryStatus() != ResultReaderStatus::success) {
        fault = std::string("the summary does not read: ") + Kestrix::toString(made->summaryStatus());
        return nullptr;
    }
    setImportedMetaData(*made, s.project, s.site);
    return made;
}

void TarvelCom::setImportedMetaData(TestRecordTarvel& record, const std::string& project, const std::string& site) {
    RecordMetaData& meta = record.GetMetaData();
    meta.Project = project;
    meta.Site = site;
    meta.CloudProjectID = "NAME:" + project;
    meta.CloudResultID = "NAME:" + meta.RawCableID;
    meta.ModifiedDateOnCloud = meta.TestDate;
}

bool TarvelCom::fetchResultFiles(const std::vector<size_t>& indices, const FetchedFn& fetched) {
    LogContext context("Reading batch of records");
    std::vector<PipelinedFile> files;
    files.reserve(indices.size());
    for (size_t i : indices)
        files.push_back({std::string(kTesterProjectsRoot) + m_summaries.at(i).fileName, boost::none, {}, false});
    PipelineLimits limits;
    limits.timeoutMs = kDefaultTimeoutMs;
    limits.maxFileSize = downloadLimits().capFor(DownloadKind::ResultFile);
    limits.groupBudget = downloadLimits().group;
    size_t next = 0;  // the files before it were handed over
    bool stopped = false;
    for (int attempt = 0; attempt < 2 && next < files.size() && !stopped; ++attempt) {
        if (attempt > 0 || !m_client || !m_connected) {
            dropScp();
            if (!CheckConnect(true)) break;
        }
        UploadProgress::begin(0, nullptr);
        const size_t base = next;
        std::vector<PipelinedFile> rest(files.begin() + static_cast<std::ptrdiff_t>(base), files.end());
        bool lost = false;
        getFilesInOneTransfer(*m_client, rest, limits, [&](size_t k) {
            PipelinedFile& f = rest[k];
            // Not handed over: fetched again on a new connection.
            if (!f.data && f.socketError) {
                lost = true;
                return false;
            }
            if (!f.data) Log::ErrMsg("SCP exception: " + f.error, fillIn("SourceFile={0}", f.remotePath));
            next = base + k + 1;
            if (!fetched(indices[base + k], f.data, printable(f.error))) stopped = true;
            return !stopped;
        });
        if (lost) {
            Log::ErrMsg("SCP exception: the connection was lost",
                        fillIn("SourceFile={0}", rest[next - base].remotePath));
            dropScp();
            Close();
        }
    }
    if (next == files.size() || stopped) return true;
    if (!m_lostConnectionShown)
        Err::DisplayLater(kLostConnectionError, 3, displayName(m_tester), "Lost Connection to tester");
    m_lostConnectionShown = true;
    for (; next < files.size(); ++next) {
        boost::optional<std::vector<uint8_t>> none;
        fetched(indices[next], none, "Lost Connection to tester");
    }
    return false;
}

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
    PipelineLimits limits;
    limits.timeoutMs = kDefaultTimeoutMs;
    limits.maxFileSize = downloadLimits().capFor(DownloadKind::ResultFile);
    limits.groupBudget = downloadLimits().group;
    getFilesInOneTransfer(*m_client, files, limits);
    bool lost = false;
    for (size_t i = 0; i < files.size(); ++i) {
        FileCopyInfo& f = group->files()[i];
        f.data = std::move(files[i].data);
        f.error = printable(files[i].error);
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
            f.data = ReadMemory(f.remotePath, DownloadKind::ResultFile);
            f.error = lastTransferError();
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
    std::string fault;
    std::unique_ptr<TestRecordTarvel> made;
    if (!entry->data || entry->data->empty())
        fault = entry->error.empty() ? "nothing arrived" : entry->error;
    else
        made = acceptResult(s, *entry->data, fault);
    if (!made) {
        Log::ErrMsg("Record does not decode", fault);
        Err::DisplayLater(kRecordReadError, 1, s.fileName, "Failed to read record.");
        return ImportStatus::kFailed;
    }
    // The database's size is the tester's note, not the record: a record that decodes is kept whatever it says.
    if (static_cast<int64_t>(entry->data->size()) != s.fileSize)
        Log::ErrMsg("Record size differs from the tester's database",
                    std::to_string(entry->data->size()) + " of " + std::to_string(s.fileSize) + " bytes");
    record = std::move(made);
    AddUploadKey(s.folder, s.key);
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

void TarvelCom::FinishImport() { markImported(); }

std::vector<FolderMarking> TarvelCom::markImported() {
    std::unordered_map<std::string, std::unordered_set<std::string>> foldersNamed;
    std::unordered_map<std::string, std::string> nameOf;
    for (const auto& [name, folder] : m_projectNames) {
        foldersNamed[name].insert(folder);
        nameOf.emplace(folder, name);
    }
    std::vector<FolderMarking> out;
    for (size_t i = 0; i < m_uploadKeys.size(); ++i) {
        const ImportKeyList& list = m_uploadKeys[i];
        if (list.GetKeys().empty()) continue;
        FolderMarking m;
        m.folder = list.Folder();
        const auto named = nameOf.find(m.folder);
        m.project = named == nameOf.end() ? std::string() : named->second;
        std::vector<int64_t> keys;
        for (int64_t key : list.GetKeys()) {
            if (key >= std::numeric_limits<int32_t>::min() && key <= std::numeric_limits<int32_t>::max())
                keys.push_back(key);
            else
                ++m.outOfRange;
        }
        m.keys = keys.size();
        if (m.project.empty()) {
            m.reason = "the master database names no project for this folder";
        } else if (foldersNamed[m.project].size() > 1) {
            // The tester finds the folder by name: it would mark rows of whichever folder it found first.
            m.reason = "the name is given to " + std::to_string(foldersNamed[m.project].size()) +
                       " project folders on the tester, which cannot tell them apart";
        } else if (keys.empty()) {
            m.reason = "no key fits the upload list";
        } else {
            m.reason = markFolder(m.project, keys, i);
            m.marked = m.reason.empty();
        }
        if (!m.marked) Log::ErrMsg("Results not marked as uploaded", fillIn("Folder={0}", m.folder) + ": " + m.reason);
        out.push_back(std::move(m));
    }
    return out;
}

std::string TarvelCom::markFolder(const std::string& project, const std::vector<int64_t>& keys, size_t listIndex) {
    const auto file = uploadListFile(keys);
    if (file.empty()) return "the upload list cannot be built";
    // The project name comes from the tester's own database: quoted so the shell takes it literally.
    const std::string remote = "/tmp/uplist" + std::to_string(listIndex);
    const auto quotedProject = doubleQuoted(project);
    const auto quotedPath = singleQuoted(remote);
    if (!quotedProject || !quotedPath) return "the project name holds a control character";
    SetTimeout(markingTimeoutMs(keys.size()));
    std::string reason;
    if (!WriteMemory(file, remote, nullptr)) {
        reason = "the upload list could not be sent";
    } else {
        const auto reply = SendTvixCmdQuick("smmarkuploaded -q -p " + *quotedProject + " -f " + *quotedPath);
        if (!reply)
            reason = "the tester did not answer";
        else if (!isReplyLine(*reply, "OK"))
            reason = "the tester answered \"" + printable(*reply) + "\"";
    }
    SetTimeout(0);
    return reason;
}

}  // namespace Kestrix::Tester
