#include "tester/db/SummaryTbl.h"

namespace Kestrix::Tester {
namespace {

// A row holds a cable id and a file name besides numbers: nothing needs more than a file name's length.
// A project of a hundred thousand results is far beyond what a tester stores.
constexpr SQLiteLimits kResultsLimits{16 << 10, 100000, 64u << 20};

}  // namespace

SummaryTbl::SummaryTbl()
    : SQLiteTbl("Results",
                {{SQLiteColumnType::Int64, "key"},
                 {SQLiteColumnType::Int64, "timestamp"},
                 {SQLiteColumnType::Int64, "type"},
                 {SQLiteColumnType::Text, "name"},
                 {SQLiteColumnType::Int64, "status"},
                 {SQLiteColumnType::Int64, "fileSize"},
                 {SQLiteColumnType::Text, "fileName"},
                 {SQLiteColumnType::Int64, "lengthScaledValue"},
                 {SQLiteColumnType::Int64, "lengthScaleFactor"}},
                kResultsLimits) {}

}  // namespace Kestrix::Tester
