#pragma once
// What the viewer needs from a tester: whether one is attached, what it holds, and an import of it into the
// first folder with progress. One narrow seam over the import job, so the viewer does not depend on how the
// job fetches and writes.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kx::serve {

// One record the tester holds, as an import folder's index names it.
struct HeldRecord {
    std::string testerFile;
    int64_t key = -1;
};

struct TesterState {
    bool attached = false;
    std::string address;  // where it answered
    std::string name;     // "Lumetra KX1000001"
    std::vector<HeldRecord> records;
    std::string problem;  // why none was found, or why its records could not be listed
};

struct ImportProgress {
    size_t done = 0;
    size_t total = 0;  // 0 while not known
    std::string phase;
};

struct ImportOutcome {
    bool ok = false;  // every record imported
    size_t imported = 0;
    size_t failed = 0;
    std::string message;  // one line for the page
};

using ImportProgressFn = std::function<void(const ImportProgress&)>;

class Importer {
public:
    virtual ~Importer() = default;
    // Looks for the tester (at its address, or by discovery) and lists what it holds. Never throws.
    virtual TesterState probe() = 0;
    // Imports what the tester at `address` holds into `folder`, calling `progress` on this thread; stops early
    // where it can once `cancel` is set. Never throws.
    virtual ImportOutcome import(const std::string& address, const std::string& folder,
                                 const ImportProgressFn& progress, const std::atomic<bool>& cancel) = 0;
};

}  // namespace kx::serve
