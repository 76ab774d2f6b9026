#pragma once
// The second half of the import's pipeline: a few threads take each fetched file, check that it is a whole
// result, build its host record and write both files, while the connection goes on fetching. The queue
// between them is bounded in files and bytes, so memory stays flat however many records a tester holds.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "tester/host/JsonSink.h"
#include "tester/import/ImportJob.h"

namespace Kestrix::Import {

class ImportOutput;

class RecordWriters {
public:
    static constexpr size_t kMaxQueuedFiles = 256;
    static constexpr uint64_t kMaxQueuedBytes = uint64_t(64) << 20;

    // Record `pos` of the run is `outcomes[pos]`, written by ImportOutput's planned path `pos`.
    RecordWriters(ImportOutput& out, std::vector<RecordOutcome>& outcomes, unsigned threads);
    ~RecordWriters();
    RecordWriters(const RecordWriters&) = delete;
    RecordWriters& operator=(const RecordWriters&) = delete;

    // Queues a fetched file; waits while the queue is full. `sum` must outlive the writers.
    void submit(size_t pos, const Tester::KestrixSum& sum, std::vector<uint8_t> bytes);
    // Writes what is queued and ends the threads.
    void finish();

    // Records written, and records that failed here.
    size_t written() const { return _written.load(); }
    size_t failed() const { return _failed.load(); }
    uint64_t bytes() const { return _bytes.load(); }

private:
    struct Task {
        size_t pos;
        const Tester::KestrixSum* sum;
        std::vector<uint8_t> bytes;
    };
    void work();
    void store(Task& task, Tester::JsonTextSink& text);

    ImportOutput& _out;
    std::vector<RecordOutcome>& _outcomes;
    std::mutex _mutex;
    std::condition_variable _ready;
    std::condition_variable _room;
    std::deque<Task> _queue;
    uint64_t _queuedBytes = 0;
    bool _closing = false;
    std::atomic<size_t> _written{0};
    std::atomic<size_t> _failed{0};
    std::atomic<uint64_t> _bytes{0};
    std::vector<std::thread> _threads;
};

}  // namespace Kestrix::Import
