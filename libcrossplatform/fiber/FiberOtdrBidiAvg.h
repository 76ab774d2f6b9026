#pragma once
// Combining an end-1 and an end-2 OTDR test of one fiber into a bidirectional test.
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include <boost/optional.hpp>

#include "fiber/FiberOtdrMergedRows.h"
#include "fiber/FiberOtdrTest.h"

namespace Kestrix {

// Why two tests could not be combined. Values are fixed: the record conversion maps them to host errors.
enum class OtdrBidiError : int32_t {
    warnings = 0,            // a test carries a signal, fiber or launch/tail warning
    endsDontCorrespond = 1,  // the end rows of the two tables lie apart
    wavelengthsDiffer = 2,   // the tables do not have the same wavelengths
    launchWithoutTail = 3,   // a table has a launch event but no tail event
    notBuilt = 4,            // same end twice, a table without tail or end, or the table could not be built
    splitter = 5,            // a row is shown as "Splitter"
    spanInForce = 6,         // an analysis span is set
};

// What the error means, for people.
const char* describe(OtdrBidiError e);

// The new test, or why there is none.
using OtdrBidiResult = std::variant<std::unique_ptr<FiberOtdrTest>, OtdrBidiError>;

OtdrBidiResult createBidiTest(const FiberOtdrTest& a, const FiberOtdrTest& b);
// The same with the time stamp of the new test given (seconds since 1970).
OtdrBidiResult createBidiTest(const FiberOtdrTest& a, const FiberOtdrTest& b, int64_t now);

// ---- Steps of the merge, exposed for tests ----

// The event map with rows at equal locations folded together and bend marks cleared.
FiberOtdrEventTable prepareBidiTable(const FiberOtdrEventTable& table);
// Row of the first event flagged "tail", else the last row shown as an end; none when neither exists.
boost::optional<size_t> tailOrEndRow(const FiberOtdrEventTable& table);

// A possible merge of an end-1 row with an end-2 row (flipped table), with its score.
struct BidiCandidate {
    boost::optional<size_t> row1;
    boost::optional<size_t> row2;
    double score = 0;
};
// Location of a row with its tolerance interval, in metres.
struct BidiRowPlace {
    double lo = 0;
    double p = 0;
    double hi = 0;
    bool hidden = false;
};
// Score of a pair of rows; none when their intervals do not overlap.
boost::optional<double> bidiScore(const BidiRowPlace& r1, const BidiRowPlace& r2);
// The candidates taken: the best-scoring chain increasing in both tables' rows.
std::vector<BidiCandidate> selectMergeChain(const std::vector<BidiCandidate>& candidates);

// Merges the prepared end-1 table with the prepared end-2 table; none when the end-2 table cannot be
// flipped or the result cannot be stored. `settings` supplies the bend detection.
boost::optional<FiberOtdrEventTable> mergeBidiTables(const FiberOtdrEventTable& end1, const FiberOtdrEventTable& end2,
                                                     const FiberOtdrSettings& settings);

}  // namespace Kestrix
