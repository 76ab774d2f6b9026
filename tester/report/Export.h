#pragma once
// The per-link summary a project manager asks for: one row per record (project, site, cable id, date, media
// and test type, limit, status, worst margin and where, length, operator, tester, calibration, verdict
// conflict, file), as CSV or as JSON.
#include <string>
#include <vector>

#include <json/value.h>

#include "tester/report/ReportModel.h"

namespace Kestrix::Report {

// The column names, in order.
const std::vector<std::string>& exportColumns();
std::string exportCsv(const std::vector<SummaryRow>& rows);
// [{column: value, ...}, ...] with the columns in camelCase ("cableId"), the date in ISO 8601 ("date") and the
// host status code beside its name ("statusCode"): numbers as numbers, unknown values null.
Json::Value exportJson(const std::vector<SummaryRow>& rows);

}  // namespace Kestrix::Report
