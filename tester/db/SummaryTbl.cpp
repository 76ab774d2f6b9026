#include "tester/db/SummaryTbl.h"

namespace Kestrix::Tester {

SummaryTbl::SummaryTbl()
    : SQLiteTbl("Results", {{SQLiteColumnType::Int64, "key"},
                            {SQLiteColumnType::Int64, "timestamp"},
                            {SQLiteColumnType::Int64, "type"},
                            {SQLiteColumnType::Text, "name"},
                            {SQLiteColumnType::Int64, "status"},
                            {SQLiteColumnType::Int64, "fileSize"},
                            {SQLiteColumnType::Text, "fileName"},
                            {SQLiteColumnType::Int64, "lengthScaledValue"},
                            {SQLiteColumnType::Int64, "lengthScaleFactor"}}) {}

}  // namespace Kestrix::Tester
