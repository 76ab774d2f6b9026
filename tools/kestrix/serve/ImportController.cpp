#include "ImportController.h"

namespace kx::serve {

using Clock = std::chrono::steady_clock;

const char* toString(ImportController::ImportState s) {
    switch (s) {
        case ImportController::ImportState::idle: return "idle";
        case ImportController::ImportState::running: return "running";
        case ImportController::ImportState::done: return "done";
        case ImportController::ImportState::failed: return "failed";
    }
    return "idle";
}

ImportController::ImportController(std::unique_ptr<Importer> importer, Options options, std::function<void()> imported)
    : _importer(std::move(importer)), _options(std::move(options)), _imported(std::move(imported)) {}

ImportController::~ImportController() { stop(); }

void ImportController::start() {
    std::lock_guard<std::mutex> lock(_mutex);
    if (_worker.joinable()) return;
    _stopping = false;
    _probeWanted = _options.periodic || _options.watch;
    _worker = std::thread([this] { run(); });
}

void ImportController::stop() {
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stopping = true;
        _cancel = true;
    }
    _wake.notify_all();
    if (_worker.joinable()) _worker.join();
}

bool ImportController::requestImport(std::string& why) {
    std::lock_guard<std::mutex> lock(_mutex);
    if (_snap.state == ImportState::running || _importWanted) {
        why = "an import is running already";
        return false;
    }
    if (!_snap.tester.attached) {
        why = "no tester is attached";
        return false;
    }
    _importWanted = true;
    ++_snap.seq;
    _wake.notify_all();
    return true;
}

void ImportController::requestProbe() {
    std::lock_guard<std::mutex> lock(_mutex);
    _probeWanted = true;
    _wake.notify_all();
}

ImportController::Snapshot ImportController::snapshot() const {
    std::lock_guard<std::mutex> lock(_mutex);
    return _snap;
}

void ImportController::run() {
    std::unique_lock<std::mutex> lock(_mutex);
    auto nextProbe = Clock::now();
    while (!_stopping) {
        const bool periodic = _options.periodic || _options.watch;
        if (!_importWanted && !_probeWanted) {
            if (periodic) {
                _wake.wait_until(lock, nextProbe, [this] { return _stopping || _importWanted || _probeWanted; });
                if (Clock::now() >= nextProbe) _probeWanted = true;
            } else {
                _wake.wait(lock, [this] { return _stopping || _importWanted || _probeWanted; });
            }
            continue;
        }
        if (_importWanted) {
            importNow(lock);
            _probeWanted = true;  // what the tester still holds that the folder lacks
            continue;
        }
        const bool wasAttached = _snap.tester.attached;
        probeNow(lock);
        nextProbe = Clock::now() + _options.interval;
        if (_options.watch && !wasAttached && _snap.tester.attached) _importWanted = true;
    }
}

void ImportController::probeNow(std::unique_lock<std::mutex>& lock) {
    _probeWanted = false;
    _snap.probing = true;
    ++_snap.seq;
    lock.unlock();
    TesterState state = _importer->probe(_options.folder);
    lock.lock();
    _snap.tester = std::move(state);
    _snap.probing = false;
    _snap.probed = true;
    ++_snap.seq;
}

void ImportController::importNow(std::unique_lock<std::mutex>& lock) {
    _importWanted = false;
    const std::string address = _snap.tester.address;
    _snap.state = ImportState::running;
    _snap.progress = ImportProgress{0, 0, "Connecting to the tester"};
    ++_snap.seq;
    lock.unlock();
    const auto progress = [this](const ImportProgress& p) {
        std::lock_guard<std::mutex> guard(_mutex);
        _snap.progress = p;
        ++_snap.seq;
    };
    ImportOutcome outcome = _importer->import(address, _options.folder, progress, _cancel);
    // The pages show the new records before the state says the import is over.
    if (_imported) _imported();
    lock.lock();
    _snap.outcome = std::move(outcome);
    _snap.state = _snap.outcome.ok ? ImportState::done : ImportState::failed;
    ++_snap.imports;
    ++_snap.seq;
}

}  // namespace kx::serve
