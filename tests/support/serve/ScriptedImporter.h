#pragma once
// An importer for the viewer's tests: a tester that comes and goes as the test says, named as the test says;
// imports wait for the test's word when asked to.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "ImportController.h"

namespace kx::test {

class ScriptedImporter : public kx::serve::Importer {
public:
    kx::serve::TesterState probe(const std::string& folder) override {
        std::lock_guard<std::mutex> lock(_mutex);
        ++probes;
        probedFolder = folder;
        kx::serve::TesterState s;
        s.attached = attached;
        s.address = attached ? "127.0.0.1:2222" : "";
        s.name = name;
        s.held = 3;
        s.missing = 2;
        return s;
    }
    kx::serve::ImportOutcome import(const std::string& address, const std::string& folder,
                                    const kx::serve::ImportProgressFn& progress,
                                    const std::atomic<bool>& cancel) override {
        std::unique_lock<std::mutex> lock(_mutex);
        ++imports;
        lastAddress = address;
        lastFolder = folder;
        for (size_t i = 1; i <= 3; ++i) {
            progress({i, 3, "record " + std::to_string(i)});
            while (hold && i == 2 && !cancel) _go.wait_for(lock, std::chrono::milliseconds(5));
        }
        return {true, 2, 1, 0, 0, "3 of 3 records imported: 2 new, 1 already there, 0 failed"};
    }
    void release() {
        std::lock_guard<std::mutex> lock(_mutex);
        hold = false;
        _go.notify_all();
    }
    void set(bool on) {
        std::lock_guard<std::mutex> lock(_mutex);
        attached = on;
    }

    bool attached = false;
    bool hold = false;
    std::atomic<int> probes{0};
    std::atomic<int> imports{0};
    std::string name, lastAddress, lastFolder, probedFolder;

private:
    std::mutex _mutex;
    std::condition_variable _go;
};

}  // namespace kx::test
