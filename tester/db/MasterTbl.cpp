#include "tester/db/MasterTbl.h"

namespace Kestrix::Tester {

MasterTbl::MasterTbl()
    : SQLiteTbl("Projects", {{SQLiteColumnType::Text, "name"},
                             {SQLiteColumnType::Text, "dirName"},
                             {SQLiteColumnType::Text, "quarnId"},
                             {SQLiteColumnType::Text, "parentQuarnId"}}) {}

}  // namespace Kestrix::Tester
