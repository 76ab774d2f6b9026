#pragma once
// The page of a record as text for a terminal (`kestrix record`): the same fields, tables and notes as its
// page in the report, under the same names, every number with its unit; pictures are left to `kestrix plot`.
#include <string>

#include "tester/report/ReportModel.h"

namespace Kestrix::Tester {
class TestRecordTarvel;
}

namespace Kestrix::Report {

// The record's page with a table of its tests after the header. Project and site come from the host record
// the importer wrote beside `file`, else from the record.
std::string recordText(Tester::TestRecordTarvel& record, const std::string& file);

// Any page as text: title line, fields as "Label: value", tables in aligned columns (a group's name over its
// columns), notes; figure grids give only their note.
std::string pageText(const RecordPage& page);

}  // namespace Kestrix::Report
