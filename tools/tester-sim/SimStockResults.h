#pragma once
// Result files for the stocked tester, made by the library's own writers from realistic model objects.
#include <cstdint>
#include <string>
#include <vector>

#include "SimStock.h"
#include "common/ResultSummary.h"

namespace Kestrix::Sim {

// One of every kind of result the model has.
enum class StockKind {
    otdrEnd1,      // OTDR from end 1 only ...
    otdrEnd2,      // ... and the same fiber from end 2, stored as a result of its own
    otdrBothEnds,  // OTDR from end 1 and from end 2 of one fiber in one result
    otdrBidi,      // both ends and their bidirectional test
    faultMap,
    realTimeTrace,
    endFaceImage,  // end-face images of both ends, end 1 failing
    lossLength,    // loss/length in both directions, failing at 1300 nm from end 2
    lossLengthPass,
    powerMeter,  // power meter readings from both ends: no length
    copperPass,  // category 6A permanent link
    copperFail,  // the same link with a pair over its loop resistance limit
    coax,
};

// A result file of that kind, named `cableId`, tested at `when` (seconds since 1970).
std::vector<uint8_t> stockResult(StockKind kind, const std::string& cableId, int64_t when);

// Cheap variations of a few made results, for scale runs: the stored tests are shared and only the summary
// (name, time, status, length) changes from one file to the next.
class StockVariants {
public:
    explicit StockVariants(StockMix mix = StockMix::every);
    size_t kinds() const { return _templates.size(); }
    // A file of template `index % kinds()` carrying `summary`; its result type is kept.
    std::vector<uint8_t> make(size_t index, ResultSummary summary) const;
    ResultType type(size_t index) const;

private:
    struct Template {
        ResultType type;
        std::vector<uint8_t> bytes;
    };
    std::vector<Template> _templates;
};

}  // namespace Kestrix::Sim
