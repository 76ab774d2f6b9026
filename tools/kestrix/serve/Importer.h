#pragma once
// What the viewer needs from a tester: whether one is attached, how much of what it holds the first folder
// lacks, and an import of it into that folder with progress. One narrow seam over the library's import job, so
// the pages and the worker are tested without a tester.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace kx::serve {

struct TesterState {
    bool attached = false;
    std::string address;  // where it answered
    std::string name;     // "Lumetra KX1000001"
    size_t held = 0;      // records it holds
    size_t missing = 0;   // of them, those an import into the folder would fetch
    std::string problem;  // why none was found, or why its records could not be listed
};

struct ImportProgress {
    size_t done = 0;
    size_t total = 0;  // 0 while not known
    std::string phase;
};

struct ImportOutcome {
    bool ok = false;  // the whole job was done: every record listed, in the folder and marked when asked
    size_t newRecords = 0;
    size_t alreadyThere = 0;
    size_t failed = 0;
    size_t notFetched = 0;
    std::string message;  // one line for the page
};

using ImportProgressFn = std::function<void(const ImportProgress&)>;

class Importer {
public:
    virtual ~Importer() = default;
    // Looks for the tester (at its address, or by discovery) and counts what it holds that `folder` lacks.
    // Never throws.
    virtual TesterState probe(const std::string& folder) = 0;
    // Imports what the tester at `address` holds into `folder`, calling `progress` on this thread; stops early
    // once `cancel` is set. Never throws.
    virtual ImportOutcome import(const std::string& address, const std::string& folder,
                                 const ImportProgressFn& progress, const std::atomic<bool>& cancel) = 0;
};

}  // namespace kx::serve
