#pragma once
// Runs the tester's probes and imports on one worker thread: on request from the page, every `interval` when
// the tester is watched, and (with `watch`) an import whenever a tester appears. The page reads a snapshot.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "Importer.h"

namespace kx::serve {

class ImportController {
public:
    struct Options {
        std::string folder;     // where imports go
        bool periodic = false;  // probe every interval (a tester address is known)
        bool watch = false;     // import whenever a tester appears
        std::chrono::milliseconds interval{5000};
    };
    enum class ImportState { idle, running, done, failed };

    struct Snapshot {
        bool probed = false;  // a probe has finished
        bool probing = false;
        TesterState tester;
        ImportState state = ImportState::idle;
        ImportProgress progress;
        ImportOutcome outcome;  // of the last import
        uint64_t imports = 0;   // imports finished
        uint64_t seq = 0;       // changes with every change above
    };

    // `imported` runs on the worker after each import.
    ImportController(std::unique_ptr<Importer> importer, Options options, std::function<void()> imported);
    ~ImportController();
    ImportController(const ImportController&) = delete;
    ImportController& operator=(const ImportController&) = delete;

    void start();
    // Stops the worker: a running import is asked to cancel and waited for.
    void stop();

    // False with the reason when an import is running already or no tester is known.
    bool requestImport(std::string& why);
    void requestProbe();

    Snapshot snapshot() const;
    const Options& options() const { return _options; }

private:
    void run();
    void probeNow(std::unique_lock<std::mutex>& lock);
    void importNow(std::unique_lock<std::mutex>& lock);

    std::unique_ptr<Importer> _importer;
    Options _options;
    std::function<void()> _imported;
    mutable std::mutex _mutex;
    std::condition_variable _wake;
    Snapshot _snap;
    bool _importWanted = false;
    bool _probeWanted = false;
    bool _stopping = false;
    std::atomic<bool> _cancel{false};
    std::thread _worker;
};

const char* toString(ImportController::ImportState s);

}  // namespace kx::serve
