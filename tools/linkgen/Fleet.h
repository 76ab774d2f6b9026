#pragma once
// A working crew's output for scale runs: results spread over a few projects and several weeks of working
// days, about nine in ten passing, failures with real causes, re-tests of failed links later the same day.
// Deterministic for a seed. Measuring is the costly part, so the fleet measures a pool of links once and
// files each record as one of them (under its own cable id, time and operator): every record is a true
// measurement of a link.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/ResultSummary.h"

namespace Kestrix::LinkGen {

struct FleetRecord {
    size_t project = 0;
    std::string cableId;
    ResultType type = ResultType::NOT_SET;
    std::vector<uint8_t> bytes;
};

// What the links are: every kind a crew tests, or only one kind for scale runs of one mix.
enum class FleetMix {
    every,
    copper,  // twisted-pair links
    otdr,    // OTDR from both ends: the large results
};

class Fleet {
public:
    // Records spread over `projects` projects, from the working day that starts at `firstDay` on, named
    // "<prefix>-<project>-<number>"; `poolSize` links are measured at most.
    Fleet(uint32_t seed, size_t projects, int64_t firstDay, std::string prefix = "GEN", size_t poolSize = kPoolSize,
          FleetMix mix = FleetMix::every);
    // The next record; project, name and time follow from its place in the run.
    FleetRecord next();
    // Links measured so far (the pool fills as records ask for them).
    size_t measuredLinks() const { return _pool.size(); }

    static constexpr size_t kPoolSize = 180;

private:
    struct Planned;
    Planned plan(size_t index) const;
    const std::vector<uint8_t>& measured(size_t poolIndex, bool repaired);

    // The last record of a project: a failed link there may be tested again.
    struct Last {
        bool valid = false;
        size_t poolIndex = 0;
        bool failed = false;
        bool retest = false;
        int64_t when = 0;
        ResultType type = ResultType::NOT_SET;
        std::string cableId;
    };

    uint32_t _seed;
    size_t _projects;
    std::string _prefix;
    size_t _poolSize;
    FleetMix _mix;
    int64_t _clock;
    size_t _index = 0;
    std::map<std::pair<size_t, bool>, std::vector<uint8_t>> _pool;
    std::map<size_t, Last> _last;
};

}  // namespace Kestrix::LinkGen
