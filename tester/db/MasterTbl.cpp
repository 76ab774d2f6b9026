#include "tester/db/MasterTbl.h"

namespace Kestrix::Tester {
namespace {

// A row is four names of one project folder: none needs more than a file name's length. A tester holds tens
// of projects; a table of thousands is not one.
constexpr SQLiteLimits kMasterLimits{16 << 10, 10000, 16u << 20};

}  // namespace

MasterTbl::MasterTbl()
    : SQLiteTbl("Projects",
                {{SQLiteColumnType::Text, "name"},
                 {SQLiteColumnType::Text, "dirName"},
                 {SQLiteColumnType::Text, "quarnId"},
                 {SQLiteColumnType::Text, "parentQuarnId"}},
                kMasterLimits) {}

}  // namespace Kestrix::Tester
