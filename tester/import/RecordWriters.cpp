#include "tester/import/RecordWriters.h"

#include "tester/host/Log.h"
#include "tester/import/ImportOutput.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/TestRecordTarvel.h"
#include "tester/session/TarvelCom.h"

namespace Kestrix::Import {

using namespace Kestrix::Tester;

namespace {

// A result that decoded has had every section read with its checksum.
bool decodedWhole(TestRecordTarvel& record) {
    if (record.IsCopper()) return record.GetCopperResult() != nullptr;
    if (record.IsFiber()) return record.GetFiberResult() != nullptr;
    return false;
}

}  // namespace

RecordWriters::RecordWriters(ImportOutput& out, std::vector<RecordOutcome>& outcomes, unsigned threads)
    : _out(out), _outcomes(outcomes) {
    for (unsigned i = 0; i < std::max(1u, threads); ++i) _threads.emplace_back([this] { work(); });
}

RecordWriters::~RecordWriters() { finish(); }

void RecordWriters::submit(size_t pos, const KestrixSum& sum, std::vector<uint8_t> bytes) {
    std::unique_lock<std::mutex> lock(_mutex);
    // One file larger than the byte bound still goes, alone.
    _room.wait(lock, [&] {
        return _queue.empty() || (_queue.size() < kMaxQueuedFiles && _queuedBytes + bytes.size() <= kMaxQueuedBytes);
    });
    _queuedBytes += bytes.size();
    _queue.push_back({pos, &sum, std::move(bytes)});
    _ready.notify_one();
}

void RecordWriters::finish() {
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _closing = true;
    }
    _ready.notify_all();
    for (auto& t : _threads)
        if (t.joinable()) t.join();
}

void RecordWriters::work() {
    // One text buffer for all the records of this thread.
    JsonTextSink text;
    for (;;) {
        Task task;
        {
            std::unique_lock<std::mutex> lock(_mutex);
            _ready.wait(lock, [this] { return _closing || !_queue.empty(); });
            if (_queue.empty()) return;
            task = std::move(_queue.front());
            _queue.pop_front();
            _queuedBytes -= task.bytes.size();
        }
        _room.notify_one();
        store(task, text);
    }
}

void RecordWriters::store(Task& task, JsonTextSink& text) {
    RecordOutcome& r = _outcomes[task.pos];
    const KestrixSum& s = *task.sum;
    try {
        // Accepted as TarvelCom::acceptResult accepts a record, but with the result decoded once: the host
        // record decodes it, and only a result that does not decode is checked section by section (one of a
        // newer version is kept when its container is whole).
        TestRecordTarvel record(std::move(task.bytes));
        std::string fault;
        if (record.summaryStatus() != ResultReaderStatus::success) {
            fault = std::string("the summary does not read: ") + Kestrix::toString(record.summaryStatus());
        } else {
            TarvelCom::setImportedMetaData(record, s.project, s.site);
            hostRecordFile(record, false, text, &r.verdictConflict);
            if (!decodedWhole(record)) fault = TarvelCom::containerFault(record.SerializedResult());
        }
        if (!fault.empty()) {
            Log::ErrMsg("Record does not decode", fillIn("File={0}", s.fileName) + ": " + fault);
            r.status = RecordStatus::Failed;
            r.reason = "Failed to read record.";
            r.detail = fault;
            ++_failed;
            return;
        }
        const std::vector<uint8_t>& kept = record.SerializedResult();
        // The database's size is the tester's note, not the record: a record that decodes is kept whatever it
        // says.
        if (static_cast<int64_t>(kept.size()) != s.fileSize)
            r.warning = std::to_string(kept.size()) + " bytes where the tester's database says " +
                        std::to_string(s.fileSize) + "; kept, as it decodes";
        _out.write(task.pos, kept, text.text());
        r.result = _out.resultPath(task.pos);
        r.record = _out.recordPath(task.pos);
        r.bytes = kept.size();
        r.crc32 = crc32Of(kept.data(), kept.size());
        r.status = RecordStatus::New;
        _bytes += kept.size();
        ++_written;
    } catch (const std::exception& e) {
        r.status = RecordStatus::Failed;
        r.reason = e.what();
        ++_failed;
    }
}

}  // namespace Kestrix::Import
